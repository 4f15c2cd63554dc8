// Integration, peaks and Arias intensity on records with closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "motion.h"

namespace {

const double kPi = std::acos(-1.0);

groundmotion::Record make_record(const std::vector<double>& acc, double dt, double start = 0.0) {
  groundmotion::Record record;
  record.source = "test";
  record.dt = dt;
  record.start_time = start;
  record.time_resolution = dt;
  record.acc = acc;
  return record;
}

// A constant c over T: v = c t and d = c t^2 / 2, which the trapezoidal rule
// integrates exactly (its integrands are constant and linear), so only
// rounding remains (1e-12 relative). Ia = pi / (2 g) c^2 T; the running
// intensity is linear, so D5-95 runs from 0.05 T to 0.95 T.
TEST(Motion, ConstantRecord) {
  const double c = 2.5;
  const double dt = 0.01;
  const std::size_t count = 1001;  // T = 10 s
  const double duration = (count - 1) * dt;
  const groundmotion::MotionSummary summary =
      groundmotion::summarize_motion(make_record(std::vector<double>(count, c), dt));
  EXPECT_NEAR(summary.acceleration.value, c, 0.0);
  EXPECT_NEAR(summary.velocity.value, c * duration, 1e-12 * c * duration);
  EXPECT_NEAR(summary.velocity.time, duration, 1e-12);
  EXPECT_NEAR(summary.displacement.value, c * duration * duration / 2, 1e-12 * c * duration * duration);
  const double arias = kPi / (2.0 * groundmotion::kGravity) * c * c * duration;
  EXPECT_NEAR(summary.arias_intensity, arias, 1e-12 * arias);
  ASSERT_TRUE(summary.duration.defined);
  EXPECT_NEAR(summary.duration.start, 0.05 * duration, 1e-9);
  EXPECT_NEAR(summary.duration.end, 0.95 * duration, 1e-9);
  EXPECT_NEAR(summary.duration.length(), 0.9 * duration, 1e-9);
  EXPECT_NEAR(summary.duration_5_75.end, 0.75 * duration, 1e-9);
  EXPECT_NEAR(summary.residual_velocity, c * duration, 1e-12 * c * duration);
  EXPECT_NEAR(summary.residual_displacement, c * duration * duration / 2,
              1e-12 * c * duration * duration);
  // The velocity is a straight line through zero: the baseline is all of it.
  EXPECT_NEAR(summary.corrected_velocity.value, 0.0, 1e-12 * c * duration);
  EXPECT_NEAR(summary.corrected_displacement.value, 0.0, 1e-12 * c * duration * duration);
}

// A straight-line acceleration has a quadratic trapezoidal velocity through
// zero, which the baseline removes whole; too short a velocity is kept.
TEST(Motion, BaselineRemovesQuadraticVelocityOnly) {
  const double dt = 0.01;
  std::vector<double> ramp(2001);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = 3.0 - 0.4 * i * dt;
  const std::vector<double> velocity = groundmotion::integrate_from_rest(ramp, dt);
  for (const double value : groundmotion::remove_velocity_baseline(velocity, dt)) {
    EXPECT_NEAR(value, 0.0, 1e-11);
  }
  EXPECT_EQ(groundmotion::remove_velocity_baseline({0.0, 1.0}, dt),
            (std::vector<double>{0.0, 1.0}));
}

// a = A sin(omega t) over 5 whole periods, 200 samples a period, from rest:
// v = A / omega (1 - cos omega t), largest 2 A / omega at the half periods;
// d = A / omega (t - sin(omega t) / omega), largest A T / omega at the end.
// Trapezoidal error ~ (omega dt)^2 / 12 = 8e-5 relative: tolerance 2e-4.
// The trapezoidal sum of sin^2 over whole periods is exact (its cosine terms
// sum to zero), so Ia = pi / (2 g) A^2 T / 2 to 1e-12.
TEST(Motion, SineOverWholePeriods) {
  const double amplitude = 150.0;
  const double period = 0.8;
  const int per_period = 200;
  const double dt = period / per_period;
  const double omega = 2.0 * kPi / period;
  const int count = 5 * per_period + 1;
  const double duration = (count - 1) * dt;
  std::vector<double> acc(count);
  for (int i = 0; i < count; ++i) acc[i] = amplitude * std::sin(omega * i * dt);
  const groundmotion::Record record = make_record(acc, dt, 2.0);
  const groundmotion::MotionSummary summary = groundmotion::summarize_motion(record);

  EXPECT_NEAR(std::fabs(summary.acceleration.value), amplitude, 1e-12 * amplitude);
  const double velocity = 2.0 * amplitude / omega;
  EXPECT_NEAR(summary.velocity.value, velocity, 2e-4 * velocity);
  EXPECT_NEAR(std::fmod(summary.velocity.time - 2.0, period), period / 2, dt / 2);
  const double displacement = amplitude * duration / omega;
  EXPECT_NEAR(summary.displacement.value, displacement, 2e-4 * displacement);
  EXPECT_NEAR(summary.displacement.time, 2.0 + duration, 1e-9);

  const double arias = kPi / (2.0 * groundmotion::kGravity) * amplitude * amplitude * duration / 2;
  EXPECT_NEAR(summary.arias_intensity, arias, 1e-12 * arias);

  // D5-95 from the running intensity t/2 - sin(2 omega t) / (4 omega),
  // solved by bisection; linear interpolation between samples is good to a
  // small part of a step: tolerance dt / 10.
  const auto reach = [&](double fraction) {
    double low = 0.0;
    double high = duration;
    for (int k = 0; k < 200; ++k) {
      const double mid = 0.5 * (low + high);
      const double share = (mid / 2 - std::sin(2 * omega * mid) / (4 * omega)) / (duration / 2);
      (share < fraction ? low : high) = mid;
    }
    return 2.0 + low;
  };
  ASSERT_TRUE(summary.duration.defined);
  EXPECT_NEAR(summary.duration.start, reach(0.05), dt / 10);
  EXPECT_NEAR(summary.duration.end, reach(0.95), dt / 10);
}

TEST(Motion, PeakIsFirstLargestMagnitudeWithItsTime) {
  const groundmotion::Peak peak = groundmotion::find_peak({1.0, -3.0, 2.0, 3.0}, 10.0, 0.5);
  EXPECT_EQ(peak.value, -3.0);
  EXPECT_EQ(peak.index, 1u);
  EXPECT_EQ(peak.time, 10.5);
}

TEST(Motion, TrapezoidalRunningIntegral) {
  const std::vector<double> integral = groundmotion::integrate_from_rest({0.0, 2.0, 4.0, 0.0}, 0.5);
  EXPECT_EQ(integral, (std::vector<double>{0.0, 0.5, 2.0, 3.0}));
}

TEST(Motion, SilentRecordHasNoSignificantDuration) {
  const groundmotion::MotionSummary summary =
      groundmotion::summarize_motion(make_record(std::vector<double>(50, 0.0), 0.01));
  EXPECT_EQ(summary.arias_intensity, 0.0);
  EXPECT_FALSE(summary.duration.defined);
  EXPECT_EQ(summary.acceleration.value, 0.0);
}

}  // namespace
