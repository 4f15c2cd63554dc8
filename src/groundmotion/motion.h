// motion.h: peak values, integration and intensity of a record.
#pragma once

#include <cstddef>
#include <vector>

#include "record.h"

namespace groundmotion {

constexpr double kGravity = 980.665;  // standard gravity, cm/s²

// The sample of largest magnitude: its signed value and its time.
struct Peak {
  double value = 0.0;
  double time = 0.0;
  std::size_t index = 0;
};

// The shares of the final Arias intensity between which D5-95 and D5-75
// are measured.
constexpr double kDurationStart = 0.05;
constexpr double kDurationMiddle = 0.75;
constexpr double kDurationEnd = 0.95;

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
  Peak velocity;       // cm/s, integrated from rest
  Peak displacement;   // cm, integrated from rest
  double residual_velocity = 0.0;      // cm/s, at the last sample
  double residual_displacement = 0.0;  // cm, at the last sample
  Peak corrected_velocity;             // cm/s, after the baseline correction
  Peak corrected_displacement;         // cm, after the baseline correction
  double arias_intensity = 0.0;  // cm/s
  SignificantDuration duration;        // D5-95
  SignificantDuration duration_5_75;   // D5-75
};

// The baseline correction of the report, by name, for its readers.
constexpr const char* kBaselineCorrection = "quadratic velocity baseline";

// Velocity integrated from rest with the quadratic velocity baseline
// removed: the least-squares fit c1 tau + c2 tau^2 of `velocity` (tau = i dt,
// through zero at the first sample, where the record starts at rest) is
// subtracted. For trapezoidal velocity this is the velocity of the
// acceleration less the straight line c1 + 2 c2 tau. A `velocity` of fewer
// than 3 samples is returned as it is.
std::vector<double> remove_velocity_baseline(const std::vector<double>& velocity,
                                             double dt);

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
                                         double low = kDurationStart,
                                         double high = kDurationEnd);

// Peaks of acceleration, velocity and displacement (integrated from rest),
// the residual velocity and displacement, the peaks after the baseline
// correction, the Arias intensity, D5-95 and D5-75 of `record`.
MotionSummary summarize_motion(const Record& record);

}  // namespace groundmotion
