// baseline.h: the second step of an iteration, which keeps the record's
// velocity and displacement from drifting and its ends at rest: an acausal
// high-pass filter (applied in the amplitude correction's transform, see
// amplitude_correction.h), the polynomial trend of the displacement taken
// out, short tapers at both ends (the first sample 0 exactly), and an
// exact end fix in the record's tail.
#pragma once

#include <cstddef>
#include <vector>

namespace match {

// Squared magnitude of a Butterworth high-pass of order kHighPassOrder at
// kHighPassCorner Hz, for `frequency` > 0 Hz: the filter run forward and
// backward, so without phase shift. One half at the corner.
double high_pass_gain(double frequency);

// Removes from `acc` (gal, step dt s, at least kFitDegree samples) the
// second derivative of the least-squares fit of its displacement
// (trapezoidal, from rest) by c2 t^2 + ... + c6 t^6 that also carries the
// record's final velocity and displacement, so that the displacement loses
// its drift, the record still starts from rest and it ends at rest (to
// rounding): a correction spread over the whole record, not a bump in its
// tail.
void remove_displacement_trend(std::vector<double>& acc, double dt);

// Multiplies the first `start` and the last `end` samples of `acc` (each
// count at least 1, together at most its length) by a half-cosine ramp
// that is 0 at the record's first and last sample: acc[0] becomes 0
// exactly and the ends come to rest smoothly. The rest is left as it is.
void taper_ends(std::vector<double>& acc, std::size_t start, std::size_t end);

// Final velocity (cm/s) and displacement (cm) of a record in gal,
// integrated by the trapezoidal rule from rest, as the check integrates
// them.
struct Residuals {
  double velocity = 0.0;
  double displacement = 0.0;
};
Residuals final_residuals(const std::vector<double>& acc, double dt);

// Adds to `acc` (at least kMinSamples samples) a combination of two smooth
// shapes in its last kTailShare that makes its final velocity and
// displacement zero, exact to rounding (both are linear in the record).
// Samples before the tail are left as they are.
void fix_end(std::vector<double>& acc, double dt);

}  // namespace match
