// Resampling and padding a seed: sines through the resampling, each
// compared with the sine itself at the new times.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "resample.h"

namespace {

const double kPi = std::acos(-1.0);

struct Sine {
  double frequency;  // Hz
  double amplitude;
};

constexpr double kLength = 20.0;  // s
constexpr double kRamp = 2.0;     // s of a raised-cosine onset and end

// The sines at time t, faded in and out over kRamp as a record starts and
// ends quietly (a sudden end would ring through any band-limited
// interpolation).
double sines_at(const std::vector<Sine>& parts, double t) {
  const double edge = std::min(t, kLength - t);
  const double window = edge >= kRamp ? 1.0 : 0.5 * (1.0 - std::cos(kPi * edge / kRamp));
  double value = 0.0;
  for (const Sine& part : parts) value += part.amplitude * std::sin(2.0 * kPi * part.frequency * t);
  return window * value;
}

std::vector<double> sines(const std::vector<Sine>& parts, double dt) {
  std::vector<double> acc(static_cast<std::size_t>(std::lround(kLength / dt)) + 1);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = sines_at(parts, static_cast<double>(i) * dt);
  return acc;
}

// Resampled, a record of sines is its 5 Hz sine at the new times, amplitude
// and phase, within 1e-3 of the amplitude.
TEST(Resample, SinesKeepAmplitudeAndPhase) {
  const struct {
    double from;
    double to;
    std::vector<Sine> parts;
    const char* reason;
  } kRows[] = {
      {0.02, 0.01, {{5.0, 1.0}}, "refined 2 times: on the finer grid itself"},
      {0.02, 0.007, {{5.0, 1.0}}, "0.007 s between the points of the finer grid: interpolated"},
      {0.005, 0.01, {{5.0, 1.0}}, "coarsened: 5 Hz far below the new Nyquist frequency"},
      // 60 Hz lies above the new Nyquist frequency (50 Hz): sampled as it
      // is, it would come back as a 40 Hz sine of the same size.
      {0.0025, 0.01, {{5.0, 1.0}, {60.0, 0.5}}, "coarsened: 60 Hz removed, not aliased"},
  };
  for (const auto& row : kRows) {
    const std::vector<double> out = match::resample(sines(row.parts, row.from), row.from, row.to);
    ASSERT_EQ(out.size(), static_cast<std::size_t>(std::floor(kLength / row.to + 1e-9)) + 1) << row.reason;
    double worst = 0.0;
    for (std::size_t j = 0; j < out.size(); ++j) {
      const double t = static_cast<double>(j) * row.to;
      worst = std::max(worst, std::fabs(out[j] - sines_at({{5.0, 1.0}}, t)));
    }
    EXPECT_LT(worst, 1e-3) << row.reason;
  }
}

TEST(Resample, FadeBelowTheNewNyquistFrequency) {
  EXPECT_EQ(match::resample_gain(39.9, 50.0), 1.0);
  EXPECT_NEAR(match::resample_gain(45.0, 50.0), 0.5, 1e-12);  // the middle of 40-50 Hz
  EXPECT_EQ(match::resample_gain(50.0, 50.0), 0.0);
}

TEST(Pad, ZerosToTheLength) {
  std::vector<double> acc(1501, 1.0);  // 15 s at 0.01 s
  EXPECT_EQ(match::pad_with_zeros(acc, 0.01, 20.0), 500u);
  ASSERT_EQ(acc.size(), 2001u);  // (2001 - 1) 0.01 = 20 s
  EXPECT_EQ(acc[1500], 1.0);
  EXPECT_EQ(acc[1501], 0.0);
  EXPECT_EQ(match::pad_with_zeros(acc, 0.01, 20.0), 0u);  // long enough now
}

}  // namespace
