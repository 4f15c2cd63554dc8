// Each step of a matching iteration against what its header promises,
// with figures worked out by hand or by an integration of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "band_duration.h"
#include "end_motion.h"
#include "baseline.h"
#include "localization.h"
#include "envelope_pull.h"
#include "record_file.h"
#include "amplitude_correction.h"

namespace {

const double kPi = std::acos(-1.0);

// Points at 1 Hz (ratio 2) and 4 Hz (ratio 8); between them log-log.
TEST(AmplitudeCorrection, CurveInterpolatesFadesAndHolds) {
  const struct {
    double frequency;
    double factor;
    const char* reason;
  } kRows[] = {
      {0.4, 1.0, "more than an octave below: no correction"},
      {0.5, 1.0, "an octave below the lowest point: faded out"},
      {std::sqrt(0.5), std::sqrt(2.0), "half an octave below: half the log"},
      {1.0, 2.0, "the lowest point"},
      {2.0, 4.0, "the log-midpoint of 1 and 4 Hz: sqrt(2 * 8)"},
      {4.0, 8.0, "the highest point"},
      {30.0, 8.0, "held above the highest point"},
  };
  match::CorrectionCurve curve({1.0, 4.0}, {std::log(2.0), std::log(8.0)});
  for (const auto& row : kRows) {
    EXPECT_NEAR(curve.factor(row.frequency), row.factor, 1e-12) << row.reason;
  }
}

// A Hann-windowed 2 Hz burst has no content near the fade or the
// high-pass corner: a correction of 2 at every compared point doubles it.
TEST(AmplitudeCorrection, ConstantRatioScalesTheRecord) {
  const double dt = 0.01;
  std::vector<double> acc(3000, 0.0);
  for (std::size_t i = 1000; i < 2000; ++i) {
    const double t = (static_cast<double>(i) - 1000.0) * dt;
    acc[i] = 50.0 * std::sin(kPi * t / 10.0) * std::sin(kPi * t / 10.0) * std::sin(2 * kPi * 2.0 * t);
  }
  std::vector<double> corrected = acc;
  std::vector<double> low;
  match::correct_amplitudes(corrected, dt, {0.5, 20.0}, {std::log(2.0), std::log(2.0)}, 0.0, low);
  // 1e-2 is 1e-4 of the doubled peak: the window's far side lobes reach
  // the fade below 0.5 Hz.
  for (std::size_t i = 0; i < acc.size(); ++i) ASSERT_NEAR(corrected[i], 2.0 * acc[i], 1e-2) << i;
  EXPECT_EQ(low, std::vector<double>(acc.size(), 0.0));  // no split, no low part
  EXPECT_DOUBLE_EQ(match::low_share(0.3, 0.3), 0.5);
  EXPECT_DOUBLE_EQ(match::low_share(0.6, 0.3), 1.0 / 17.0);
}

// At 0.02 s a correction of 2 at every compared point doubles a 5 Hz
// burst; one at 24 Hz, near the Nyquist frequency, grows by 2^0.0955 only.
TEST(AmplitudeCorrection, FadedOutNearTheNyquistFrequencyOfACoarseStep) {
  for (const double frequency : {5.0, 24.0}) {
    std::vector<double> acc(1500, 0.0), low;
    for (std::size_t i = 0; i < 500; ++i) {
      const double t = static_cast<double>(i) * 0.02;
      acc[i + 500] = std::pow(std::sin(kPi * t / 10.0), 2) * std::sin(2 * kPi * frequency * t);
    }
    const double peak = *std::max_element(acc.begin(), acc.end());
    match::correct_amplitudes(acc, 0.02, {0.5, 25.0}, {std::log(2.0), std::log(2.0)}, 0.0, low);
    EXPECT_NEAR(*std::max_element(acc.begin(), acc.end()) / peak,
                frequency < 10.0 ? 2.0 : std::pow(2.0, 0.0955), 0.01) << frequency;
  }
}

TEST(AmplitudeCorrection, PeakScaledLocally) {
  const double dt = 0.01;  // the bump spans 5 samples each side
  std::vector<double> acc(200, 1.0);
  acc[100] = -10.0;
  std::vector<double> corrected = acc;
  match::correct_peak(corrected, dt, 1.2);
  EXPECT_DOUBLE_EQ(corrected[100], -12.0);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    if (i < 95 || i > 105) {
      EXPECT_EQ(corrected[i], acc[i]) << i;
    }
  }
}

TEST(EnvelopePull, StrengthGrowsWithTheDrift) {
  EXPECT_EQ(match::pull_strength(1.0), 0.25);
  EXPECT_EQ(match::pull_strength(1.15), 0.25);  // drift at the threshold
  EXPECT_DOUBLE_EQ(match::pull_strength(0.7), 0.5);  // 0.25 * 0.30 / 0.15
  EXPECT_EQ(match::pull_strength(1.9), 1.0);  // capped at a full restoration
}

// A record of even level pulled with strength 1 toward a seed three times
// as strong in its second half takes that shape, but for the floor;
// strength 0 changes nothing. By hand: the record's envelope is
// e = 10 / sqrt(2), the seed's s = sqrt(1/2) and 3 sqrt(1/2), the level
// L = sqrt(e^2 / ((s1^2 + s2^2) / 2)) = sqrt(20), the floor f = 0.02 e;
// the halves end as (L s2 + f) / (L s1 + f) = 2.9144 to one another.
TEST(EnvelopePull, FullStrengthGivesTheSeedsShape) {
  const std::size_t n = 4000;
  const std::size_t half = 50;
  std::vector<double> seed(n);
  std::vector<double> acc(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double wave = std::sin(0.7 * static_cast<double>(i));
    seed[i] = (i < n / 2 ? 1.0 : 3.0) * wave;
    acc[i] = 10.0 * std::sin(0.9 * static_cast<double>(i));
  }
  const std::vector<double> seed_envelope = match::running_rms(seed, half);
  const std::vector<double> zeros(n, 0.0);
  std::vector<double> unchanged = acc;
  match::pull_toward_envelope(unchanged, seed_envelope, half, 0.0, zeros);
  EXPECT_EQ(unchanged, acc);
  match::pull_toward_envelope(acc, seed_envelope, half, 1.0, zeros);
  const std::vector<double> envelope = match::running_rms(acc, half);
  const double level = std::sqrt(20.0);
  const double floor = 0.02 * 10.0 / std::sqrt(2.0);
  const double expected = (level * 3.0 * std::sqrt(0.5) + floor) / (level * std::sqrt(0.5) + floor);
  EXPECT_NEAR(envelope[3 * n / 4] / envelope[n / 4], expected, 1e-3);
}

TEST(Baseline, EndFixZeroesTheEndAndLeavesTheRest) {
  const double dt = 0.01;
  std::vector<double> acc(1000);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = 30.0 * std::sin(0.05 * i) + 2.0;
  std::vector<double> fixed = acc;
  match::fix_end(fixed, dt);
  long double velocity = 0.0L;
  long double displacement = 0.0L;
  integrate(fixed, dt, velocity, displacement);
  EXPECT_NEAR(static_cast<double>(velocity), 0.0, 1e-9);
  EXPECT_NEAR(static_cast<double>(displacement), 0.0, 1e-9);
  for (std::size_t i = 0; i < 750; ++i) ASSERT_EQ(fixed[i], acc[i]) << i;  // the last quarter only
}

// The trend taken out with the end conditions leaves the record at rest at
// its end, by the test's own integration; the tapers make the first sample
// 0 exactly and leave the samples between them alone.
TEST(Baseline, TrendEndsAtRestAndTapersBringTheEndsToRest) {
  const double dt = 0.01;
  std::vector<double> acc(3000);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = 30.0 * std::sin(0.05 * i + 1.0) + 2.0;
  std::vector<double> tapered = acc;
  match::taper_ends(tapered, 50, 100);
  EXPECT_EQ(tapered.front(), 0.0);
  EXPECT_EQ(tapered.back(), 0.0);
  EXPECT_DOUBLE_EQ(tapered[25], acc[25] * 0.5);  // half-way up the ramp
  for (std::size_t i = 50; i < acc.size() - 100; ++i) ASSERT_EQ(tapered[i], acc[i]) << i;
  match::remove_displacement_trend(tapered, dt);
  long double velocity = 0.0L;
  long double displacement = 0.0L;
  integrate(tapered, dt, velocity, displacement);
  EXPECT_NEAR(static_cast<double>(velocity), 0.0, 1e-8);
  EXPECT_NEAR(static_cast<double>(displacement), 0.0, 1e-7);
}

// A drift of displacement 50 (t / T)^3 cm, which starts with no
// acceleration, is a cubic spline on any knots: nothing is left of it.
TEST(Baseline, DisplacementTrendRemovedAndHighPassGain) {
  const double dt = 0.01;
  const double length = 29.99;
  std::vector<double> acc(3000);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = 300.0 * (i * dt) / std::pow(length, 3);
  match::remove_displacement_trend(acc, dt);
  for (const double value : acc) ASSERT_NEAR(value, 0.0, 1e-6);  // of up to 0.33 gal
  EXPECT_DOUBLE_EQ(match::high_pass_gain(0.05), 0.5);  // at the corner
  EXPECT_DOUBLE_EQ(match::high_pass_gain(0.5), 1.0 / (1.0 + 1e-8));  // a decade above
}

// Ground that sways by 20 (1 - cos) cm at 0.1 Hz and 0.1 (1 - cos) cm at
// 2 Hz, whole periods over 100 s, so at rest at both ends: brought to rest
// from 50 s over a 10 s ramp, it keeps every sample before 50 s and from
// 60 s on sways about rest by the 2 Hz part alone, -0.1 cos (by the test's
// own integration; up to 90 s, as its acceleration, unlike a matched
// record's, stops short at the end).
TEST(Baseline, RestTailKeepsOnlyTheShortPeriodsInTheTail) {
  const double dt = 0.01;
  const double slow = 2.0 * kPi * 0.1;
  const double fast = 2.0 * kPi * 2.0;
  std::vector<double> acc(10001);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    acc[i] = 20.0 * slow * slow * std::cos(slow * i * dt) + 0.1 * fast * fast * std::cos(fast * i * dt);
  }
  std::vector<double> rested = acc;
  match::rest_tail(rested, dt, 5000, 1000);
  for (std::size_t i = 0; i < 5000; ++i) ASSERT_EQ(rested[i], acc[i]) << i;
  double velocity = 0.0;
  double displacement = 0.0;
  double worst = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const double next = velocity + 0.5 * dt * (rested[i - 1] + rested[i]);
    displacement += 0.5 * dt * (velocity + next);
    velocity = next;
    if (i >= 6000 && i <= 9000) {
      worst = std::max(worst, std::fabs(displacement + 0.1 * std::cos(fast * i * dt)));
    }
  }
  EXPECT_LT(worst, 0.02);  // of the 40 cm sway
}

// A 1.2 Hz sine under a Hann window from 10 s to 30 s lies in the octave
// 0.8-1.6 Hz: that band's D5-95 is the record's own, found here by the
// running sum of a^2, within a sample or two of the band-passed figure.
TEST(BandDuration, OneBandHoldsTheMotion) {
  const double dt = 0.01;
  std::vector<double> acc(6000, 0.0);
  for (std::size_t i = 1000; i <= 3000; ++i) {
    const double t = i * dt;
    acc[i] = 100.0 * std::sin(2.0 * 3.14159265358979 * 1.2 * t) *
             0.5 * (1.0 - std::cos(2.0 * 3.14159265358979 * (t - 10.0) / 20.0));
  }
  long double total = 0.0L;
  for (const double value : acc) total += static_cast<long double>(value) * value;
  long double sum = 0.0L;
  double start = 0.0;
  double end = 0.0;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    sum += static_cast<long double>(acc[i]) * acc[i];
    if (start == 0.0 && sum >= 0.05L * total) start = i * dt;
    if (end == 0.0 && sum >= 0.95L * total) end = i * dt;
  }
  const std::vector<std::vector<double>> parts = match::octave_parts(acc, dt);
  ASSERT_EQ(parts.size(), 10u);  // below 0.1 Hz, eight octaves, above 25.6 Hz
  for (std::size_t i = 0; i < acc.size(); i += 7) {
    double sum = 0.0;
    for (const std::vector<double>& part : parts) sum += part[i];
    ASSERT_NEAR(sum, acc[i], 1e-9) << i;  // the parts add up to the record
  }
  const std::vector<match::BandDuration> bands = match::band_durations(acc, dt);
  ASSERT_EQ(bands.size(), 8u);
  EXPECT_EQ(bands.front().low, 0.1);
  EXPECT_DOUBLE_EQ(bands.back().high, 25.6);
  EXPECT_EQ(bands[3].low, 0.8);
  EXPECT_NEAR(bands[3].duration, end - start, 0.03);
}

// A seed whose 1.2 Hz motion lies in 10-20 s of 60 s: a change at 1.2 Hz
// over the whole record is kept there and all but dropped 30 s later.
TEST(Localization, ChangeKeptWhereTheSeedsEnergyIs) {
  const double dt = 0.01;
  const double pi = 3.14159265358979;
  std::vector<double> seed(6000, 0.0);
  std::vector<double> changed(6000);
  for (std::size_t i = 0; i < seed.size(); ++i) {
    const double wave = std::sin(2.0 * pi * 1.2 * i * dt);
    if (i >= 1000 && i <= 2000) seed[i] = 50.0 * wave * std::sin(pi * (i - 1000) / 1000.0);
    changed[i] = seed[i] + 10.0 * wave;
  }
  std::vector<double> kept = changed;
  match::localize_change(kept, seed, match::seed_band_weights(seed, dt), dt);
  const auto change_near = [&](std::size_t middle) {
    double most = 0.0;
    for (std::size_t i = middle - 100; i < middle + 100; ++i) {
      most = std::max(most, std::fabs(kept[i] - seed[i]));
    }
    return most;
  };
  EXPECT_GT(change_near(1500), 9.0);  // where the seed's envelope is largest
  EXPECT_LT(change_near(4500), 0.5);
}

TEST(RecordFile, LayoutAndRounding) {
  EXPECT_EQ(match::as_written(0.123456), 0.1235);
  EXPECT_EQ(match::as_written(-250.0), -250.0);
  groundmotion::Record layout;
  layout.dt = 0.01;
  layout.time_resolution = 0.01;
  match::OutputLayout output;
  output.target = "jp-l1:ground=2";
  EXPECT_EQ(match::format_record_file(layout, {1.5, -250.0}, output),
            " time(sec),\"matched-Acc(gal) to jp-l1:ground=2\"\n"
            "    0.00,  0.1500E+01\n    0.01, -0.2500E+03\n");
  EXPECT_EQ(match::record_header("a\"b.csv"), " time(sec),\"matched-Acc(gal) to a\"\"b.csv\"");
}

}  // namespace
