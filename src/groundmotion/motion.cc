// motion.cc: peak values, integration and intensity (see motion.h).
#include "motion.h"

#include <cmath>

namespace groundmotion {
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

std::vector<double> remove_velocity_baseline(const std::vector<double>& velocity,
                                             double dt) {
  if (velocity.size() < 3) return velocity;
  // Normal equations in s = tau / length, which keeps them well scaled.
  const double length = static_cast<double>(velocity.size() - 1) * dt;
  double s2 = 0.0, s3 = 0.0, s4 = 0.0, s1v = 0.0, s2v = 0.0;
  for (std::size_t i = 0; i < velocity.size(); ++i) {
    const double s = static_cast<double>(i) * dt / length;
    s2 += s * s;
    s3 += s * s * s;
    s4 += s * s * s * s;
    s1v += s * velocity[i];
    s2v += s * s * velocity[i];
  }
  const double determinant = s2 * s4 - s3 * s3;
  const double linear = (s1v * s4 - s2v * s3) / determinant;
  const double quadratic = (s2 * s2v - s3 * s1v) / determinant;
  std::vector<double> corrected(velocity.size());
  for (std::size_t i = 0; i < velocity.size(); ++i) {
    const double s = static_cast<double>(i) * dt / length;
    corrected[i] = velocity[i] - (linear * s + quadratic * s * s);
  }
  return corrected;
}

MotionSummary summarize_motion(const Record& record) {
  MotionSummary summary;
  const std::vector<double> velocity = integrate_from_rest(record.acc, record.dt);
  const std::vector<double> displacement = integrate_from_rest(velocity, record.dt);
  summary.acceleration = find_peak(record.acc, record.start_time, record.dt);
  summary.velocity = find_peak(velocity, record.start_time, record.dt);
  summary.displacement = find_peak(displacement, record.start_time, record.dt);
  summary.residual_velocity = velocity.back();
  summary.residual_displacement = displacement.back();
  const std::vector<double> corrected = remove_velocity_baseline(velocity, record.dt);
  summary.corrected_velocity = find_peak(corrected, record.start_time, record.dt);
  summary.corrected_displacement =
      find_peak(integrate_from_rest(corrected, record.dt), record.start_time, record.dt);
  const std::vector<double> intensity = arias_history(record.acc, record.dt);
  summary.arias_intensity = intensity.back();
  summary.duration =
      significant_duration(intensity, record.start_time, record.dt);
  summary.duration_5_75 =
      significant_duration(intensity, record.start_time, record.dt, kDurationStart,
                           kDurationMiddle);
  return summary;
}

}  // namespace groundmotion
