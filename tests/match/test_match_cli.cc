// seedacc-match's command line in process: the statuses and files that
// differ from the check's (two files, the output written or not, the best
// record written when the criteria are not met, the times of a finer step).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "match/cli.h"
#include "process.h"
#include "record.h"

namespace {

using testsupport::file_exists;
using testsupport::read_file;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome run_match(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  Outcome run;
  run.status = match::run(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// A seed-like record: decaying waves of 0.5 to 8 Hz, `seconds` long at
// step `dt`, times printed with `decimals`.
std::string wave_record(double seconds, double dt, int decimals, double scale = 1.0) {
  std::string text = " time(sec),seed-Acc(gal)\n";
  char line[64];
  const long count = std::lround(seconds / dt);
  for (long i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) * dt;
    const double wave = std::sin(3.1 * t) + std::sin(11.0 * t + 1.0) + std::sin(47.0 * t);
    std::snprintf(line, sizeof line, "%8.*f,%12.4E\n", decimals, t,
                  scale * 20.0 * wave * t * std::exp(-0.3 * t));
    text += line;
  }
  return text;
}

class MatchCli : public testing::Test {
 protected:
  void SetUp() override {
    seed_ = dir_.file("seed.csv");
    testsupport::write_file(seed_, wave_record(25.0, 0.01, 2));
  }
  testsupport::TempDir dir_;
  std::string seed_;
};

TEST_F(MatchCli, UsageErrorsWriteNothing) {
  const std::string out = dir_.file("out.csv");
  const std::string dot_seed = dir_.path() + "/./seed.csv";
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } kCases[] = {
      {{seed_}, "OUT.csv missing"},
      {{seed_, out, dir_.file("third.csv")}, "a third file"},
      {{seed_, out, "--max-iterations", "0"}, "no iteration"},
      {{seed_, out, "--max-iterations=1001"}, "above the largest count"},
      {{seed_, out, "--max-iterations=2.5"}, "not a whole number"},
      {{seed_, out, "--range", "0.05:10"}, "range below the grid, as the check refuses it"},
      {{seed_, out, "--damping", "1"}, "damping outside (0, 1)"},
      {{seed_, out, "--csv", "x.csv"}, "an option of the check only"},
      {{seed_, out, "--damping", "0.05", "--damping=0.03"}, "an option given twice"},
      {{seed_, seed_}, "output is the seed"},
      {{seed_, dot_seed}, "output is the seed, spelt another way"},
      {{seed_, out, "--html", dot_seed}, "the page over the seed"},
      {{seed_, out, "--html", out}, "the page over the matched record"},
  };
  const std::string before = read_file(seed_);
  for (const auto& row : kCases) {
    const Outcome run = run_match(row.args);
    EXPECT_EQ(run.status, match::kExitUsage) << row.reason;
    EXPECT_NE(run.err.find("usage: seedacc-match"), std::string::npos) << row.reason;
    EXPECT_FALSE(file_exists(out)) << row.reason;
    EXPECT_TRUE(read_file(seed_) == before) << row.reason;  // the seed untouched
  }
  const Outcome help = run_match({"--help"});
  EXPECT_EQ(help.status, match::kExitMatched);
  EXPECT_EQ(help.out, match::usage_text());
}

TEST_F(MatchCli, UnreadableSeedOrUnwritableOutputLeaveNoFile) {
  const Outcome missing = run_match({dir_.file("none.csv"), dir_.file("out.csv")});
  EXPECT_EQ(missing.status, match::kExitFailure);
  EXPECT_FALSE(file_exists(dir_.file("out.csv")));
  testsupport::write_file(dir_.file("short.csv"), "0,1\n0.01,-2\n0.02,0.5\n");
  const Outcome too_short = run_match({dir_.file("short.csv"), dir_.file("out.csv")});
  EXPECT_EQ(too_short.status, match::kExitFailure) << too_short.out;
  EXPECT_FALSE(file_exists(dir_.file("out.csv")));  // not a record of zeros
  std::filesystem::remove(dir_.file("short.csv"));
  const Outcome no_folder = run_match({seed_, dir_.file("absent/out.csv"), "--max-iterations=1"});
  EXPECT_EQ(no_folder.status, match::kExitFailure);
  EXPECT_NE(no_folder.err.find("absent/out.csv"), std::string::npos) << no_folder.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

// A seed in m/s^2 (a hundredth of its gal values) and a signed count: the
// check's unit warning comes first in the report.
TEST_F(MatchCli, StopWithoutMatchStillWritesBestRecord) {
  testsupport::write_file(seed_, wave_record(25.0, 0.01, 2, 0.01));
  const std::string out = dir_.file("out.csv");
  const Outcome run = run_match({"--max-iterations", "+1", seed_, out});
  EXPECT_EQ(run.status, match::kExitNotMatched) << run.out << run.err;
  EXPECT_NE(run.out.find("\nwarning: peak acceleration "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nverdict (jp): FAIL ("), std::string::npos) << run.out;
  const spectra::Record written = spectra::read_record_file(out);
  EXPECT_EQ(written.acc.size(), 2500u);
  EXPECT_NE(read_file(out).find(" time(sec),\"matched-Acc(gal) to jp-l2\"\n    0.00,"), std::string::npos);
}

// A step finer than the hundredths of F8.2: the times keep the seed's own
// decimals, so that the file reads back with the seed's step.
TEST_F(MatchCli, FinerStepKeepsItsDecimals) {
  testsupport::write_file(seed_, wave_record(25.0, 0.005, 3));
  const std::string out = dir_.file("out.csv");
  run_match({seed_, out, "--max-iterations=1"});
  const spectra::Record written = spectra::read_record_file(out);
  EXPECT_EQ(written.acc.size(), 5000u);
  EXPECT_DOUBLE_EQ(written.dt, 0.005);
  EXPECT_NE(read_file(out).find("\n  24.995,"), std::string::npos);
}

}  // namespace

namespace {

// A seed at 0.02 s is refined to the criterion's 0.01 s by default, a
// short one padded with --pad; each said in the report, the record written
// at the new step and length.
TEST_F(MatchCli, CoarseSeedRefinedShortSeedPadded) {
  const struct {
    double seconds;
    double dt;
    std::vector<std::string> options;
    const char* said;
    std::size_t written;  // samples
    const char* reason;
  } kRows[] = {
      {25.0, 0.02, {}, "resampled: dt 0.02 s to 0.01 s, the time-step criterion's limit", 2499,
       "24.98 s at 0.01 s"},
      {25.0, 0.01, {"--dt", "0.005"}, "resampled: dt 0.01 s to 0.005 s (--dt)", 4999,
       "24.98 s at 0.005 s"},
      {15.0, 0.01, {"--pad"}, "padded: 5.01 s of zeros added at the end, to 20 s", 2001,
       "14.99 s and 501 zeros: 20 s"},
  };
  for (const auto& row : kRows) {
    testsupport::write_file(seed_, wave_record(row.seconds, row.dt, 2));
    const std::string out = dir_.file("out.csv");
    std::vector<std::string> args{seed_, out, "--max-iterations=1"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    const Outcome run = run_match(args);
    EXPECT_NE(run.out.find(row.said), std::string::npos) << row.reason << "\n" << run.out << run.err;
    EXPECT_EQ(spectra::read_record_file(out).acc.size(), row.written) << row.reason;
  }
}

}  // namespace
