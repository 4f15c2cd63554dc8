// motion.h: peak values, integration and intensity of a record.
#pragma once

#include <cstddef>
#include <vector>

#include "record.h"

namespace check {

constexpr double kGravity = 980.665;  // standard gravity, cm/s²

// The sample of largest magnitude: its signed value and its time.
struct Peak {
  double value = 0.0;
  double time = 0.0;
  std::size_t index = 0;
};

// The time between 5 % and 95 % of the final Arias intensity. Undefined
// (defined == false) for a record whose intensity is zero.
struct SignificantDuration {
  bool defined = false;
  double start = 0.0;  // time at which 5 % is reached, s
  double end = 0.0;    // time at which 95 % is reached, s
  double length() const { return end - start; }
};

struct MotionSummary {
  Peak acceleration;   // gal
  Peak velocity;       // cm/s
  Peak displacement;   // cm
  double arias_intensity = 0.0;  // cm/s
  SignificantDuration duration;
};

// Running integral of equally spaced `values` by the trapezoidal rule,
// starting from 0 at the first sample: result[0] = 0,
// result[i] = result[i-1] + dt (values[i-1] + values[i]) / 2.
std::vector<double> integrate_from_rest(const std::vector<double>& values,
                                        double dt);

// The sample of largest magnitude (the first of equals), timed as
// start_time + index * dt. An empty input gives the zero Peak.
Peak find_peak(const std::vector<double>& values, double start_time,
               double dt);

// Running Arias intensity, cm/s, for acceleration in gal:
// pi / (2 g) times the trapezoidal running integral of acc².
std::vector<double> arias_history(const std::vector<double>& acc, double dt);

// Times at which the running intensity `history` (non-decreasing, sampled
// at start_time + i dt) first reaches the fractions `low` and `high` of its
// last value, each interpolated linearly between samples.
SignificantDuration significant_duration(const std::vector<double>& history,
                                         double start_time, double dt,
                                         double low = 0.05, double high = 0.95);

// Peaks of acceleration, velocity and displacement (integrated from rest),
// the Arias intensity and D5-95 of `record`.
MotionSummary summarize_motion(const Record& record);

}  // namespace check
