// motion.cc: peak values, integration and intensity (see motion.h).
#include "motion.h"

#include <cmath>

namespace check {
namespace {

const double kPi = std::acos(-1.0);

// Time at which `history` first reaches `level`, interpolated linearly
// between the sample before and the sample that reaches it.
double crossing_time(const std::vector<double>& history, double level,
                     double start_time, double dt) {
  for (std::size_t i = 0; i < history.size(); ++i) {
    if (history[i] >= level) {
      if (i == 0) return start_time;
      const double rise = history[i] - history[i - 1];
      const double fraction = rise > 0.0 ? (level - history[i - 1]) / rise : 1.0;
      return start_time + (static_cast<double>(i - 1) + fraction) * dt;
    }
  }
  return start_time + static_cast<double>(history.size() - 1) * dt;
}

}  // namespace

std::vector<double> integrate_from_rest(const std::vector<double>& values,
                                        double dt) {
  std::vector<double> integral(values.size(), 0.0);
  for (std::size_t i = 1; i < values.size(); ++i) {
    integral[i] = integral[i - 1] + 0.5 * dt * (values[i - 1] + values[i]);
  }
  return integral;
}

Peak find_peak(const std::vector<double>& values, double start_time,
               double dt) {
  Peak peak;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (std::fabs(values[i]) > std::fabs(peak.value) || i == 0) {
      peak.value = values[i];
      peak.index = i;
    }
  }
  peak.time = start_time + static_cast<double>(peak.index) * dt;
  return peak;
}

std::vector<double> arias_history(const std::vector<double>& acc, double dt) {
  std::vector<double> squared(acc.size());
  for (std::size_t i = 0; i < acc.size(); ++i) squared[i] = acc[i] * acc[i];
  std::vector<double> history = integrate_from_rest(squared, dt);
  const double scale = kPi / (2.0 * kGravity);
  for (double& value : history) value *= scale;
  return history;
}

SignificantDuration significant_duration(const std::vector<double>& history,
                                         double start_time, double dt,
                                         double low, double high) {
  SignificantDuration duration;
  if (history.empty() || !(history.back() > 0.0)) return duration;
  const double total = history.back();
  duration.defined = true;
  duration.start = crossing_time(history, low * total, start_time, dt);
  duration.end = crossing_time(history, high * total, start_time, dt);
  return duration;
}

MotionSummary summarize_motion(const Record& record) {
  MotionSummary summary;
  const std::vector<double> velocity = integrate_from_rest(record.acc, record.dt);
  const std::vector<double> displacement = integrate_from_rest(velocity, record.dt);
  summary.acceleration = find_peak(record.acc, record.start_time, record.dt);
  summary.velocity = find_peak(velocity, record.start_time, record.dt);
  summary.displacement = find_peak(displacement, record.start_time, record.dt);
  const std::vector<double> intensity = arias_history(record.acc, record.dt);
  summary.arias_intensity = intensity.back();
  summary.duration =
      significant_duration(intensity, record.start_time, record.dt);
  return summary;
}

}  // namespace check
