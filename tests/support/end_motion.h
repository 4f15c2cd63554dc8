// end_motion.h: the final velocity and displacement of a record, computed
// independently of the library (long double, trapezoidal rule from rest),
// for the tests that check a matched record ends at rest.
#pragma once

#include <cstddef>
#include <vector>

// Sets `velocity` (cm/s) and `displacement` (cm) to their values at the
// last sample of `acc` (gal, step dt s), integrated from rest.
inline void integrate(const std::vector<double>& acc, double dt, long double& velocity,
                      long double& displacement) {
  velocity = displacement = 0.0L;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const long double next = velocity + 0.5L * dt * (acc[i - 1] + acc[i]);
    displacement += 0.5L * dt * (velocity + next);
    velocity = next;
  }
}
