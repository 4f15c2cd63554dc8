// The acceptance criteria on spectra whose answers are known by
// construction: each row sets the ratio at every grid point and says which
// criteria must fail.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "criteria.h"
#include "synthesis/target_sa.h"

namespace {

using Ratio = std::function<double(std::size_t)>;

struct Case {
  const char* reason;
  Ratio ratio;          // Sa / (target for 5 % damping) at grid index k
  double dt = 0.01;
  std::size_t samples = 4001;  // 40 s at 0.01 s
  spectra::CriteriaOptions options;
  std::vector<std::string> failed;
  std::size_t compared = 271;
};

// Grid index k is 0.1 * 10^(k / 100) Hz: 1 Hz is k = 100, 10 Hz k = 200,
// 4.07 Hz k = 161, 25 Hz lies between k = 239 and 240.
Ratio constant(double value) {
  return [value](std::size_t) { return value; };
}
Ratio run_of(std::size_t first, std::size_t last, double inside, double outside) {
  return [=](std::size_t k) { return k >= first && k <= last ? inside : outside; };
}

spectra::CriteriaOptions with(double damping, double low = 0.1, double high = 50.0) {
  spectra::CriteriaOptions options;
  options.damping = damping;
  options.range = {low, high};
  return options;
}

std::vector<Case> cases() {
  const std::vector<std::string> none;
  return {
      {"flat 2 % above the target passes every criterion", constant(1.02), 0.01, 4001, {}, none},
      {"63 adjacent points below the target, all in the band: window alone fails",
       run_of(100, 162, 0.97, 1.03), 0.01, 4001, {}, {"window"}},
      {"9 adjacent points below the target is the most the window allows",
       run_of(120, 128, 0.97, 1.03), 0.01, 4001, {}, none},
      {"10 adjacent points below the target is one too many",
       run_of(120, 129, 0.97, 1.03), 0.01, 4001, {}, {"window"}},
      {"the band's bounds 0.90 and 1.30 are inside it",
       [](std::size_t k) { return k == 50 ? 0.90 : k == 150 ? 1.30 : 1.02; }, 0.01, 4001, {}, none},
      {"0.8999 is outside the band but above the minimum ratio",
       run_of(50, 50, 0.8999, 1.02), 0.01, 4001, {}, {"band"}},
      {"0.849 is below the minimum ratio as well",
       run_of(50, 50, 0.849, 1.02), 0.01, 4001, {}, {"band", "minimum ratio"}},
      {"a mean of 0.99 fails the mean, the window and the SI ratio", constant(0.99), 0.01, 4001,
       {}, {"window", "mean ratio", "SI ratio"}},
      {"ratios alternating 0.92 and 1.18 scatter too much (CoV 0.124)",
       [](std::size_t k) { return k % 2 ? 0.92 : 1.18; }, 0.01, 4001, {}, {"CoV"}},
      {"dt 0.02 s: too coarse, and the 31 points above 25 Hz are not judged",
       [](std::size_t k) { return k >= 240 ? 0.3 : 1.02; }, 0.02, 2001, {}, {"time step"}, 240},
      {"19.99 s is shorter than 20 s", constant(1.02), 0.01, 2000, {}, {"duration"}},
      {"20.00 s is long enough", constant(1.02), 0.01, 2001, {}, none},
      {"dt formed as 163.83 / 16383 still compares the 50 Hz point", constant(1.02),
       163.83 / 16383, 16384, {}, none},
      {"--range 1:10 judges only 1-10 Hz", run_of(100, 200, 1.02, 0.3), 0.01, 4001,
       with(0.05, 1.0, 10.0), none, 101},
      {"damping 0.02 scales the target by 1.25: the 5 % spectrum falls short",
       constant(1.02), 0.01, 4001, with(0.02),
       {"band", "window", "minimum ratio", "mean ratio", "SI ratio"}},
      {"damping 0.02 met by a spectrum 1.25 times the 5 % target",
       constant(1.25 * 1.02), 0.01, 4001, with(0.02), none},
  };
}

TEST(Criteria, EachCriterionOnKnownSpectra) {
  const std::vector<double> grid = spectra::spectrum_frequencies();
  for (const Case& row : cases()) {
    std::vector<double> sa(grid.size());
    for (std::size_t k = 0; k < grid.size(); ++k) {
      sa[k] = row.ratio(k) * synthesis::target_sa(1.0 / grid[k]);
    }
    const spectra::Evaluation evaluation =
        spectra::evaluate_spectrum(row.dt, row.samples, sa, row.options);
    EXPECT_EQ(evaluation.verdict.failed, row.failed) << row.reason;
    EXPECT_EQ(evaluation.verdict.pass, row.failed.empty()) << row.reason;
    EXPECT_EQ(evaluation.fit.count, row.compared) << row.reason;
    EXPECT_EQ(evaluation.verdict.criteria.size(), 8u) << row.reason;
  }
}

// Figures and lines of the case: the longest run and its
// frequencies, the SI ratio's line, and the verdict naming what failed.
TEST(Criteria, LinesNameTheRunTheSiRatioAndTheFailures) {
  const std::vector<double> grid = spectra::spectrum_frequencies();
  std::vector<double> sa(grid.size());
  for (std::size_t k = 0; k < grid.size(); ++k) {
    sa[k] = (k >= 100 && k <= 162 ? 0.97 : 1.03) * synthesis::target_sa(1.0 / grid[k]);
  }
  std::ostringstream lines;
  spectra::write_verdict(lines, spectra::evaluate_spectrum(0.01, 4001, sa, {}).verdict);
  const std::string text = lines.str();
  EXPECT_NE(text.find("\nwindow         63 points     FAIL  longest run below the target "
                      "1-4.169 Hz; at most 9\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nSI ratio       1.0"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.rfind("verdict:")), "verdict: FAIL (window)\n");
  // A mean of 0.9999 reads 1.000 yet fails; the line says why.
  for (std::size_t k = 0; k < grid.size(); ++k) sa[k] = 0.9999 * synthesis::target_sa(1.0 / grid[k]);
  std::ostringstream near;
  spectra::write_verdict(near, spectra::evaluate_spectrum(0.01, 4001, sa, {}).verdict);
  EXPECT_NE(near.str().find("\nmean ratio     1.000         FAIL  at least 1.00; over the 271 "
                            "compared points (0.999900 unrounded)\n"),
            std::string::npos)
      << near.str();
}

// 1.5 / (1 + 10 h) by hand: 1.5 / 1.5, 1.5 / 1.2, 1.5 / 2.
TEST(Criteria, DampingFactor) {
  EXPECT_EQ(spectra::damping_factor(0.05), 1.0);
  EXPECT_DOUBLE_EQ(spectra::damping_factor(0.02), 1.25);
  EXPECT_DOUBLE_EQ(spectra::damping_factor(0.10), 0.75);
  EXPECT_DOUBLE_EQ(spectra::Target().sa(1.0, 0.02), 640.0);
}

// The target's SI against its closed form: the integral of T / (2 pi)
// times 3000 T + 320, 800 and 512 / T over the grid's periods 0.1 s to
// 1 / 0.4074 Hz. The trapezoidal rule on a grid 2.3 % apart is within
// about 1e-4 of it (the corners at 0.16 s and 0.64 s add the most).
TEST(Criteria, TargetSiAgainstClosedForm) {
  const std::vector<double> grid = spectra::spectrum_frequencies();
  const long double low = 0.1L;
  const long double high = 1.0L / grid[61];
  const long double pi = 3.14159265358979323846264338327950288L;
  const auto rising = [](long double t) { return 1000 * t * t * t + 160 * t * t; };
  const long double exact = (rising(0.16L) - rising(low) + 400 * (0.64L * 0.64L - 0.16L * 0.16L) +
                             512 * (high - 0.64L)) /
                            (2 * pi);
  std::vector<double> sa(grid.size());
  for (std::size_t k = 0; k < grid.size(); ++k) sa[k] = 0.5 * synthesis::target_sa(1.0 / grid[k]);
  const spectra::Evaluation evaluation = spectra::evaluate_spectrum(0.01, 4001, sa, {});
  EXPECT_NEAR(evaluation.fit.si_target, static_cast<double>(exact), 2e-4 * exact);
  EXPECT_EQ(evaluation.fit.si_count, 140u);  // k = 61 ... 200
  EXPECT_DOUBLE_EQ(evaluation.fit.si_ratio, 0.5);
}

TEST(Criteria, RangeOption) {
  const spectra::FrequencyRange range = spectra::parse_frequency_range("1:10");
  EXPECT_EQ(range.low, 1.0);
  EXPECT_EQ(range.high, 10.0);
  for (const char* bad : {"", "1", "1:", ":10", "10:1", "1:1", "0.05:10", "1:60", "a:b",
                          "1:10:20", "0x1:10", "1.001:1.002"}) {
    EXPECT_THROW(spectra::parse_frequency_range(bad), std::invalid_argument) << bad;
  }
}

}  // namespace
