// Seeds made by seedacc, matched by seedacc-match and judged by
// seedacc-check, all as real processes; the written file is also read here
// on its own and its residual motion and D5-95 computed without the
// project's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "end_motion.h"
#include "process.h"
#include "record_file.h"
#include "target.h"

namespace {

using testsupport::run_process;

struct SeedCase {
  const char* answers;  // the dialogue's answers before the file name
  const char* reason;
  const char* target = groundmotion::kDefaultTarget;  // for both programs
  const char* name = groundmotion::kDefaultTarget;    // as the record's header names it
  const char* criteria = nullptr;  // the sets matched and checked; the target's when null
};

// A target file as design offices receive them: a header naming the unit,
// a zero-period row, rows out of order; Sa in g (0.4 g at 0 s, a plateau
// of 1 g from 0.1 s to 0.5 s, 0.6 g / T to 3 s, 0.03 g at 10 s).
const char kTargetFile[] =
    "# site-specific spectrum, 5 % damping\n"
    "Period (s), Sa (g)\n"
    "0, 0.4\n0.5, 1.0\n0.01, 0.4\n0.1, 1.0\n1, 0.6\n2, 0.3\n3, 0.2\n10, 0.03\n";

void PrintTo(const SeedCase& seed, std::ostream* out) { *out << seed.reason; }

// Six shapes in the default run: default corner times (the worked
// example, zero, the largest number), a long silence after the strong
// motion, and two short bursts that need the second pass; then the worked
// example to three other targets.
const SeedCase kQuickSeeds[] = {
    {"7\n0\n", "the worked example"},
    {"0\n0\n", "zero"},
    {"2147483647\n0\n", "largest 32-bit number"},
    {"11\n1\n2 10 30 60\n", "short strong motion, 100 s of silence after it"},
    {"41\n1\n1 5 10 20\n", "4.7 s burst: D5-95 grew past 30 % with a 4 s envelope window"},
    {"29\n1\n0.5 3 8 163.83\n", "burst in a long tail: 0.11-0.16 Hz held below the target"},
    {"7\n0\n", "the worked example to the level-1 spectrum", "jp-l1", "jp-l1"},
    {"7\n0\n", "the worked example to a US design spectrum", "asce7:tl=8.0,sds=1.0,sd1=0.6",
     "asce7:sds=1,sd1=0.6,tl=8"},
    {"7\n0\n", "the worked example to a target file", "target.csv", "target.csv"},
    {"7\n0\n", "the worked example with the us set: rounding drifted its ground 2.4 cm in the quiet tail",
     groundmotion::kDefaultTarget, groundmotion::kDefaultTarget, "us"},
};

// The rest of the sweep, under the ctest label `long`: default corner
// times for signs and sizes of the random number, then changed corner
// times, which move and stretch the strong motion.
const SeedCase kLongSeeds[] = {
    {"1\n0\n", "smallest number the dialogue asks for"},
    {"999\n0\n", "largest number the dialogue asks for"},
    {"-1\n0\n", "negative"},
    {"-77777\n0\n", "negative, outside the asked range"},
    {"-123456789\n0\n", "large negative (0 and -2147483647 make one record)"},
    {"123456\n0\n", "large"},
    {"2\n0\n", "small"},
    {"13\n0\n", "slowest to converge in the first trials"},
    {"42\n0\n", "slow at low frequencies in the first trials"},
    {"500\n0\n", "lowest ratio at 0.12 Hz in the first trials"},
    {"77777\n0\n", "five digits"},
    {"31\n0\n", "D5-95 grew most in the first trials"},
    {"64\n0\n", "fastest to converge in the first trials"},
    {"12\n1\n6 50 100 163.83\n", "long strong motion up to the end"},
    {"13\n1\n1 5 10 20\n", "5 s of strong motion in a 164 s record"},
    {"-14\n1\n10 20 120 150\n", "late, long decay"},
    {"15\n1\n0.5 3 8 163.83\n", "early, long tail"},
    {"16\n1\n4 35 80 120\n", "silent last 44 s"},
    {"29\n1\n0.1 1 2 163\n", "1 s of strong motion: 0.12-0.15 Hz held below the target"},
    {"17\n1\n8 12 16 30\n", "late 7 s burst: CoV above 0.05"},
};

#ifdef SEEDACC_LONG_SWEEP
const auto& kSeeds = kLongSeeds;
#else
const auto& kSeeds = kQuickSeeds;
#endif

// Times as text and accelerations of a record file of this project's layout.
struct Columns {
  std::string header;
  std::vector<std::string> times;
  std::vector<double> acc;
};

Columns read_columns(const std::string& text) {
  Columns columns;
  std::istringstream in(text);
  std::getline(in, columns.header);
  for (std::string line; std::getline(in, line);) {
    EXPECT_EQ(line.size(), 21u) << line;
    columns.times.push_back(line.substr(0, 8));
    columns.acc.push_back(std::strtod(line.c_str() + 9, nullptr));
  }
  return columns;
}

// Time at which the running sum of a^2 first reaches `share` of its total,
// to the sample (rectangle sums: the limits below are far wider).
double arias_time(const std::vector<double>& acc, double share, double dt) {
  long double total = 0.0L;
  for (const double value : acc) total += static_cast<long double>(value) * value;
  long double sum = 0.0L;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    sum += static_cast<long double>(acc[i]) * acc[i];
    if (sum >= share * total) return static_cast<double>(i) * dt;
  }
  return static_cast<double>(acc.size()) * dt;
}

double d5_95(const std::vector<double>& acc) {
  return arias_time(acc, 0.95, 0.01) - arias_time(acc, 0.05, 0.01);
}

// A matched record starts and ends at rest: its first sample is 0 exactly,
// its final velocity and displacement are within the limits, and its last
// ten samples neither alternate in sign nor grow past twice the largest of
// the second before them.
void expect_at_rest(const std::vector<double>& matched, double dt, const char* reason) {
  EXPECT_EQ(matched.front(), 0.0) << reason;
  long double velocity = 0.0L;
  long double displacement = 0.0L;
  integrate(matched, dt, velocity, displacement);
  EXPECT_LE(std::fabs(static_cast<double>(velocity)), 1.0) << reason;
  EXPECT_LE(std::fabs(static_cast<double>(displacement)), 5.0) << reason;
  const std::size_t n = matched.size();
  std::size_t alternations = 0;
  double last_ten = 0.0;
  double before = 0.0;
  for (std::size_t i = n - 10 - static_cast<std::size_t>(1.0 / dt); i < n - 10; ++i) {
    before = std::max(before, std::fabs(matched[i]));
  }
  for (std::size_t i = n - 10; i < n; ++i) {
    last_ten = std::max(last_ten, std::fabs(matched[i]));
    if (matched[i] * matched[i - 1] < 0.0) ++alternations;
  }
  EXPECT_LT(alternations, 10u) << reason;
  EXPECT_LE(last_ten, 2.0 * before + 1e-4) << reason;
}

// The largest distance, cm, of the ground of `acc` from its final steady
// glide (the line through its final displacement with its final velocity)
// from `from` s on: for a record at rest at its end, from rest.
double stray_after(const std::vector<double>& acc, double dt, double from) {
  std::vector<double> velocity(acc.size(), 0.0);
  std::vector<double> displacement(acc.size(), 0.0);
  for (std::size_t i = 1; i < acc.size(); ++i) {
    velocity[i] = velocity[i - 1] + 0.5 * dt * (acc[i - 1] + acc[i]);
    displacement[i] = displacement[i - 1] + 0.5 * dt * (velocity[i - 1] + velocity[i]);
  }
  const std::size_t last = acc.size() - 1;
  double largest = 0.0;
  for (std::size_t i = static_cast<std::size_t>(std::ceil(from / dt)); i <= last; ++i) {
    const double glide = displacement[last] - velocity[last] * static_cast<double>(last - i) * dt;
    largest = std::max(largest, std::fabs(displacement[i] - glide));
  }
  return largest;
}

// In the seed's quiet tail the matched ground strays from rest by at most
// 2 cm more than the seed's own ground strays from its final glide. The
// tail is spelled out again here, so as not to lean on the code under
// test: from the later of the seed's 99.99 % Arias time and its 95 % time
// plus 10 / (2 pi 0.05) s, the build-up time of the 5 %-damped oscillator
// at the longest compared period, 10 s.
void expect_quiet_tail(const std::vector<double>& seed, const std::vector<double>& matched,
                       double dt, const char* reason) {
  const double from = std::max(arias_time(seed, 1.0 - 1e-4, dt),
                               arias_time(seed, 0.95, dt) + 10.0 / (2.0 * std::acos(-1.0) * 0.05));
  const double own = stray_after(seed, dt, from);
  const double stray = stray_after(matched, dt, from);
  std::printf("%s: from %.1f s the ground strays %.2f cm from rest, the seed's %.2f cm\n", reason,
              from, stray, own);
  EXPECT_LE(stray, own + 2.0) << reason;
}

class SeedMatch : public testing::TestWithParam<SeedCase> {};

TEST_P(SeedMatch, WrittenRecordMeetsEveryCriterion) {
  const SeedCase& seed = GetParam();
  testsupport::TempDir dir;
  testsupport::ProcessOptions options;
  options.dir = dir.path();
  // Not the 30 s of a quick child: the slowest seeds (two passes, some 80
  // iterations) take longer under the sanitizers on a busy machine; the
  // test's own ctest TIMEOUT bounds the run.
  options.timeout_seconds = 300;
  options.input = std::string(seed.answers) + "seed.csv\n";
  ASSERT_TRUE(run_process({SEEDACC_PATH}, options).exited);
  options.input.clear();
  testsupport::write_file(dir.file("target.csv"), kTargetFile);
  const std::string target = std::string("--target=") + seed.target;
  std::vector<std::string> match_args = {SEEDACC_MATCH_PATH, "seed.csv", "matched.csv", target};
  std::vector<std::string> check_args = {SEEDACC_CHECK_PATH, "matched.csv", target};
  for (auto* args : {&match_args, &check_args}) {
    if (seed.criteria != nullptr) args->push_back(std::string("--criteria=") + seed.criteria);
  }
  const auto matched = run_process(match_args, options);
  ASSERT_TRUE(matched.exited && matched.status == 0) << matched.out << matched.err;
  std::size_t iterations = 0;
  for (std::size_t at = 0; (at = matched.out.find("\niteration", at + 1)) != std::string::npos;) {
    ++iterations;
  }
  std::printf("%s: %zu iterations after the seed\n", seed.reason, iterations - 1);
  const auto checked = run_process(check_args, options);
  EXPECT_TRUE(checked.exited && checked.status == 0);
  // The set asked for, or the target's practice: jp for the Japanese
  // spectra, us for the others.
  const bool japanese = seed.criteria ? std::string(seed.criteria) == "jp"
                                      : std::string(seed.target).rfind("jp-", 0) == 0;
  const std::string verdict = japanese ? "\nverdict (jp): PASS\n" : "\nverdict (us): PASS\n";
  EXPECT_NE(checked.out.find(verdict), std::string::npos) << checked.out;

  const Columns in = read_columns(testsupport::read_file(dir.file("seed.csv")));
  const Columns out = read_columns(testsupport::read_file(dir.file("matched.csv")));
  EXPECT_EQ(out.header, match::record_header(seed.name));
  EXPECT_EQ(out.times, in.times);
  EXPECT_NEAR(d5_95(out.acc) / d5_95(in.acc), 1.0, 0.3);
  expect_at_rest(out.acc, 0.01, seed.reason);
  expect_quiet_tail(in.acc, out.acc, 0.01, seed.reason);
}

#ifndef SEEDACC_LONG_SWEEP
// A recorded-like record that does not start at rest: 60 s at 0.01 s of
// decaying sines, 40 gal at its first sample. The written record starts at
// rest all the same, and is at rest in the last 18 s.
TEST(RecordedMatch, StartsAndEndsAtRest) {
  testsupport::TempDir dir;
  std::string text = " time(sec),acc(gal)\n";
  for (int i = 0; i < 6000; ++i) {
    const double t = 0.01 * i;
    const double value = std::exp(-0.15 * t) * (40.0 * std::cos(2.0 * 3.14159 * 1.7 * t) +
                                                 25.0 * std::sin(2.0 * 3.14159 * 0.37 * t + 0.4) +
                                                 15.0 * std::sin(2.0 * 3.14159 * 6.1 * t));
    char line[64];
    std::snprintf(line, sizeof line, "%8.2f,%12.4E\n", t, value);
    text += line;
  }
  testsupport::write_file(dir.file("rec.csv"), text);
  testsupport::ProcessOptions options;
  options.dir = dir.path();
  const auto matched = run_process({SEEDACC_MATCH_PATH, "rec.csv", "matched.csv"}, options);
  ASSERT_TRUE(matched.exited) << matched.err;
  const Columns out = read_columns(testsupport::read_file(dir.file("matched.csv")));
  expect_at_rest(out.acc, 0.01, "decaying sines, 40 gal at the first sample");
  const Columns in = read_columns(text);
  expect_quiet_tail(in.acc, out.acc, 0.01, "decaying sines, 40 gal at the first sample");
}
#endif

INSTANTIATE_TEST_SUITE_P(Seeds, SeedMatch, testing::ValuesIn(kSeeds),
                         [](const testing::TestParamInfo<SeedCase>& info) {
                           return "row" + std::to_string(info.index);
                         });

}  // namespace
