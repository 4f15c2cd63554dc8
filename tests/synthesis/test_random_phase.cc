// Tests of the target spectrum and of the random-phase synthesis.
//
// synthesize_spectrum transforms in place, so the spectrum it built is seen
// only through the history. Two independent routes look at it:
//  - Recovery: the history transformed back (dwvfast, sign -1) and divided
//    by nt gives the spectrum before the transform.
//  - Model: the spectrum the run should build, made here in long double with
//    the true pi from the ran0 draws and the target spectrum; the history is
//    compared with its direct DFT, which involves no FFT at all.
//
// Tolerances. dwvfast builds its twiddle angles from pai = 3.141592654, so
// each angle is off by less than delta = |pai - pi| ~= 4.1e-10 and each of
// the L = log2(nt) = 14 twiddle factors met by a term by less than delta;
// a product of L unit factors is then off by less than L * delta, so
//     |dwvfast(a)(m) - DFT(a)(m)| <= L * (delta + rho) * ||a||_1,
// rho = 1e-15 covering the rounding of one stage. The recovery adds a second
// such error, of the back transform, whose input has ||history||_1 / nt <=
// ||a||_2 <= ||a||_1, so recovered elements are within
//     L * (delta + rho) * (||a||_1 + ||history||_1 / nt)
// of the true ones. With ||a||_1 ~= 1e5 that is ~1e-3, against amplitudes
// between 0.77 (50 Hz) and 52, and the smallest amplitude step checked at a
// corner, 7.6e-3 (io 1025).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "synthesis.h"
#include "target_sa.h"

namespace {

constexpr long double kTruePi = 3.14159265358979323846264338327950288L;
constexpr double kDelta = 4.2e-10;  // >= |pai - pi| ~= 4.1021e-10
constexpr double kRound = 1e-15;    // rounding per FFT stage, relative to ||a||_1
constexpr int kStages = 14;         // log2(kSamples)

// The run's grid, formed as the run sequence forms it.
constexpr integer kSamples = 16384;
constexpr integer kNom = kSamples / 2;
const double kPi = std::atan(1.0) * 4;
const double kDom = (kPi + kPi) / (kSamples * 0.01);

double period_of(integer io) { return (kPi + kPi) / (io * kDom); }

double l1_norm(const std::vector<dcomplex>& values) {
  double sum = 0;
  for (const dcomplex& z : values) sum += std::hypot(z.r, z.i);
  return sum;
}

struct Synthesized {
  integer idum_after;
  std::vector<dcomplex> history;   // the output of synthesize_spectrum
  std::vector<dcomplex> recovered; // history transformed back, / nt
  std::vector<dcomplex> model;     // the expected spectrum, 0-based
  double recovery_tol;
};

Synthesized run_seed(integer seed) {
  Synthesized run;
  run.history.assign(kSamples, dcomplex{-1.0, -1.0});  // no zero left over by chance
  run.idum_after = seed;
  synthesis::synthesize_spectrum(&run.idum_after, kPi, kDom, kSamples, run.history.data());

  run.recovered = run.history;
  dwvfast(kSamples, run.recovered.data(), -1);
  for (dcomplex& z : run.recovered) z = {z.r / kSamples, z.i / kSamples};

  run.model.assign(kSamples, dcomplex{0.0, 0.0});
  integer idum = seed;
  for (integer io = 1; io <= kNom; ++io) {
    const double period = period_of(io);
    const long double amplitude = synthesis::target_sa(period) * period / (kTruePi * kTruePi);
    const long double phase = 2 * kTruePi * ran0(&idum);
    run.model[io] = {static_cast<double>(amplitude * std::cos(phase)),
                     static_cast<double>(amplitude * std::sin(phase))};
  }
  for (integer io = 1; io < kNom; ++io)
    run.model[kSamples - io] = {run.model[io].r, -run.model[io].i};

  run.recovery_tol =
      kStages * (kDelta + kRound) * (l1_norm(run.model) + l1_norm(run.history) / kSamples);
  return run;
}

double distance(const dcomplex& a, const dcomplex& b) { return std::hypot(a.r - b.r, a.i - b.i); }

// ---------------------------------------------------------------------------
// The target spectrum on its own.

TEST(TargetSa, PiecesAtAndAroundTheCorners) {
  // Each expected value is the piece the period belongs to, evaluated in
  // double, and compared exactly: next to a corner the wrong piece differs
  // only in the last bit.
  const double below064 = std::nextafter(0.64, 0.0);
  const double above064 = std::nextafter(0.64, 1.0);
  const double above016 = std::nextafter(0.16, 1.0);
  struct Row {
    double period, expected;
    const char* why;
  } rows[] = {
      {0.64, 512.0 / 0.64, "upper corner belongs to 512/T (which rounds to 800)"},
      {below064, 800.0, "last double below 0.64 is flat; 512/T would be 800.0000000000001"},
      {above064, 512.0 / above064, "first double above 0.64 decays: 799.9999999999999"},
      {0.642, 512.0 / 0.642, "just above the upper corner: 797.5"},
      {0.16, 800.0, "lower corner is flat (3000 T + 320 also rounds to 800 there)"},
      {above016, 800.0, "first double above 0.16 is flat; the rise would give 800.0000000000001"},
      {0.159, 0.159 * 3000.0 + 320.0, "just below the lower corner: 797"},
      {0.4, 800.0, "inside the plateau"},
      {0.02, 0.02 * 3000.0 + 320.0, "50 Hz, the highest frequency of a run: 380"},
      {163.84, 512.0 / 163.84, "the longest period of a run: 3.125"},
      {0.0, 320.0, "the rise starts at 320"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(synthesis::target_sa(row.period), row.expected) << "period " << row.period;
  }
  EXPECT_EQ(synthesis::target_sa(0.64), 800.0);  // the pieces meet at 800 at both corners
  EXPECT_EQ(synthesis::target_sa(0.16), 800.0);
}

TEST(TargetSa, ContinuousEverywhere) {
  // The steepest piece is the rise (slope 3000 gal/s; 512/T^2 <= 1250 beyond
  // 0.64), so neighbours h apart differ by at most 3000 h plus rounding
  // (1e-12 on values <= 800). A jump at a corner would break this.
  const double step = 1e-5;
  for (double period = 0.01; period < 2.0; period += step) {
    const double jump =
        std::fabs(synthesis::target_sa(period + step) - synthesis::target_sa(period));
    ASSERT_LE(jump, 3000.0 * step + 1e-12) << "between " << period << " and " << period + step;
  }
}

// ---------------------------------------------------------------------------
// The synthesis.

TEST(Synthesis, SameSeedSameBitsOtherSeedOtherBits) {
  for (integer seed : {7, 0, -5, 999}) {
    const Synthesized first = run_seed(seed), second = run_seed(seed), other = run_seed(seed + 1);
    const std::size_t bytes = kSamples * sizeof(dcomplex);
    EXPECT_EQ(std::memcmp(first.history.data(), second.history.data(), bytes), 0) << seed;
    EXPECT_NE(std::memcmp(first.history.data(), other.history.data(), bytes), 0) << seed;
    // One draw per positive frequency.
    integer idum = seed;
    for (integer io = 1; io <= kNom; ++io) ran0(&idum);
    EXPECT_EQ(first.idum_after, idum) << seed;
  }
}

TEST(Synthesis, SpectrumIsTheTargetWithRanPhasesInFrequencyOrder) {
  const Synthesized run = run_seed(7);
  EXPECT_LE(distance(run.recovered[0], {0.0, 0.0}), run.recovery_tol) << "no mean value";
  for (integer index = 1; index < kSamples; ++index)
    ASSERT_LE(distance(run.recovered[index], run.model[index]), run.recovery_tol) << index;
}

TEST(Synthesis, AmplitudesAtTheCorners) {
  // fx(io+1) before the transform, against psv = sa * T / pi^2 with sa from
  // the piece the period should fall into.
  const Synthesized run = run_seed(7);
  struct Row {
    integer io;
    double sa;
    const char* why;
  } rows[] = {
      {255, 512.0 / period_of(255), "above the upper corner: 512/T = 796.9"},
      {256, 512.0 / period_of(256), "T exactly 0.64: 512/T (= 800)"},
      {257, 800.0, "just inside the plateau"},
      {1023, 800.0, "just inside the plateau"},
      {1024, 800.0, "T exactly 0.16: plateau"},
      {1025, period_of(1025) * 3000.0 + 320.0, "below the lower corner: 799.53"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const double period = period_of(row.io);
    const double psv = (row.sa * period) / (kPi * kPi);
    const dcomplex& z = run.recovered[row.io];
    EXPECT_NEAR(std::hypot(z.r, z.i), psv, run.recovery_tol) << "io " << row.io;
  }
}

TEST(Synthesis, HistoryIsRealButForTheUnmirroredTopFrequency) {
  // With a(n-m) = conj(a(m)) for 0 < m < n/2 and a(0) = 0, each pair gives
  // a(m) w^(pm) + conj(a(m) w^(pm)), which is real; the lone a(n/2) gives
  // a(n/2) * exp(i pi p) = a(n/2) * (-1)^p. Hence
  //     im history(p) = (-1)^p * im a(n/2).
  const Synthesized run = run_seed(7);
  const double top_im = run.model[kNom].i;
  const double forward_tol = kStages * (kDelta + kRound) * l1_norm(run.model);
  ASSERT_GT(std::fabs(top_im), 100 * run.recovery_tol) << "seed 7 should give a non-real top";
  for (integer p = 0; p < kSamples; ++p) {
    const double expected = (p % 2 == 0) ? top_im : -top_im;
    ASSERT_NEAR(run.history[p].i, expected, forward_tol) << "sample " << p;
  }
  // The top frequency kept its random phase; everything below is mirrored.
  EXPECT_NEAR(run.recovered[kNom].i, top_im, run.recovery_tol);
  for (integer m = 1; m < kNom; ++m) {
    const dcomplex& low = run.recovered[m];
    const dcomplex& high = run.recovered[kSamples - m];
    ASSERT_LE(distance(high, {low.r, -low.i}), 2 * run.recovery_tol) << "pair " << m;
  }
}

TEST(Synthesis, ZeroRawStateGivesZeroPhaseEverywhere) {
  const Synthesized run = run_seed(123459876);
  EXPECT_EQ(run.idum_after, 123459876);
  for (integer io = 1; io <= kNom; ++io) {
    const dcomplex& z = run.recovered[io];
    ASSERT_GT(z.r, 100 * run.recovery_tol) << "io " << io;  // smallest amplitude is 0.77
    ASSERT_LE(std::fabs(z.i), run.recovery_tol) << "io " << io;
  }
  // All phases aligned: the first sample is the sum of all amplitudes, and
  // every other sample is smaller.
  const double first = run.history[0].r;
  for (integer p = 1; p < kSamples; ++p)
    ASSERT_LT(std::hypot(run.history[p].r, run.history[p].i), first) << "sample " << p;
}

TEST(Synthesis, HistoryMatchesDirectSumOverTheSpectrum) {
  // history(p) = sum_m a(m) exp(+2 pi i p m / n) in long double with the true
  // pi over the model spectrum; the angle index is reduced exactly first.
  // Tolerance: the FFT bound above, plus the model's own distance from the
  // run's spectrum (a few ulps of each amplitude <= 52, < 1e-13 per element,
  // < 2e-9 in total), taken as 1e-8. Both parts are compared: the sign of
  // the exponent shows only in the imaginary part of a Hermitian spectrum.
  const Synthesized run = run_seed(7);
  const double tol = kStages * (kDelta + kRound) * l1_norm(run.model) + 1e-8;
  for (integer p : {0, 1, 100, 4095, 8192, 16383}) {
    long double sum_r = 0, sum_i = 0;
    for (integer m = 0; m < kSamples; ++m) {
      const std::int64_t turn = (static_cast<std::int64_t>(p) * m) % kSamples;
      const long double angle = 2 * kTruePi * turn / kSamples;
      const long double c = std::cos(angle), s = std::sin(angle);
      sum_r += run.model[m].r * c - run.model[m].i * s;
      sum_i += run.model[m].r * s + run.model[m].i * c;
    }
    EXPECT_NEAR(run.history[p].r, static_cast<double>(sum_r), tol) << "sample " << p;
    EXPECT_NEAR(run.history[p].i, static_cast<double>(sum_i), tol) << "sample " << p;
  }
}

}  // namespace
