// seedacc-match's command line in process: the statuses and files that
// differ from the check's (two files, the output written or not, the best
// record written when the criteria are not met, the times of a finer step).
#include <gtest/gtest.h>

#include <algorithm>
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
  const groundmotion::Record written = groundmotion::read_record_file(out);
  EXPECT_EQ(written.acc.size(), 2500u);
  EXPECT_NE(read_file(out).find(" time(sec),\"matched-Acc(gal) to jp-l2\"\n    0.00,"), std::string::npos);
}

// Each iterate's line leaves as it is judged: some flush of the report
// ends with the line of iteration 1, before the rest of the report exists.
TEST_F(MatchCli, ProgressLeavesAsItGoes) {
  struct Flushes : std::stringbuf {
    std::vector<std::string> seen;
    int sync() override {
      seen.push_back(str());
      return 0;
    }
  } flushes;
  std::ostream out(&flushes);
  std::ostringstream err;
  match::run({seed_, dir_.file("out.csv"), "--max-iterations=2"}, out, err);
  const auto after_first = std::find_if(flushes.seen.begin(), flushes.seen.end(), [](const std::string& text) {
    return text.rfind("\niteration   1 ") != std::string::npos && text.find("kept:") == std::string::npos;
  });
  EXPECT_NE(after_first, flushes.seen.end()) << flushes.str();
  EXPECT_NE(flushes.str().find("\nkept: iteration "), std::string::npos) << flushes.str();
}

// A step finer than the hundredths of F8.2: the times keep the seed's own
// decimals, so that the file reads back with the seed's step.
TEST_F(MatchCli, FinerStepKeepsItsDecimals) {
  testsupport::write_file(seed_, wave_record(25.0, 0.005, 3));
  const std::string out = dir_.file("out.csv");
  run_match({seed_, out, "--max-iterations=1"});
  const groundmotion::Record written = groundmotion::read_record_file(out);
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
    EXPECT_EQ(groundmotion::read_record_file(out).acc.size(), row.written) << row.reason;
  }
}

}  // namespace

namespace {

// A PEER NGA file in g made from a seed-like record.
std::string at2_record(double seconds) {
  std::istringstream in(wave_record(seconds, 0.01, 2));
  const groundmotion::Record record = groundmotion::parse_record(in, "wave");
  std::string text =
      "PEER NGA STRONG MOTION DATABASE RECORD\nTEST, WAVE\nACCELERATION TIME HISTORY IN UNITS OF "
      "G\nNPTS=" + std::to_string(record.acc.size()) + ", DT= .0100 SEC\n";
  char value[32];
  for (std::size_t i = 0; i < record.acc.size(); ++i) {
    std::snprintf(value, sizeof value, "%15.7E", record.acc[i] / 980.665);
    text += value;
    text += (i + 1) % 5 == 0 ? "\n" : "";
  }
  return text + "\n";
}

// The word after `label` on the first line that begins with it.
std::string figure_after(const std::string& report, const std::string& label) {
  const std::size_t at = report.find("\n" + label);
  if (at == std::string::npos) return "no line " + label;
  std::istringstream words(report.substr(at + 1 + label.size()));
  std::string word;
  words >> word;
  return word;
}

// AT2 in, AT2 out, and the AT2 matched again: the file holds the record
// the first match judged, its smallest ratio that of the second's seed.
TEST_F(MatchCli, At2RoundTrip) {
  const std::string in = dir_.file("wave.AT2");
  testsupport::write_file(in, at2_record(25.0));
  const std::string out = dir_.file("matched.AT2");
  const Outcome first = run_match({in, out, "--output-format", "at2", "--max-iterations=2"});
  ASSERT_NE(first.out.find("read: PEER NGA (AT2)"), std::string::npos) << first.out << first.err;
  const groundmotion::Record written = groundmotion::read_record_file(out);
  EXPECT_EQ(written.format, groundmotion::Format::at2);
  EXPECT_EQ(written.unit, groundmotion::Unit::g);
  EXPECT_EQ(written.acc.size(), 2500u);
  EXPECT_NE(read_file(out).find("\nSOURCE " + in + ", MATCHED TO "), std::string::npos);
  const Outcome second =
      run_match({out, dir_.file("again.AT2"), "--output-format=at2", "--max-iterations=1"});
  const std::string smallest = figure_after(first.out, "jp  minimum ratio");
  EXPECT_EQ(smallest.find("no line"), std::string::npos) << first.out;
  EXPECT_EQ(figure_after(second.out, "iteration   0 (seed)  lowest ratio"), smallest);
}

// Three seeds and an unreadable one: the same reports, summary and files
// with two threads as with one; the unreadable one named, the others done.
TEST_F(MatchCli, BatchTheSameWhateverTheThreads) {
  for (const double seconds : {22.0, 25.0, 28.0}) {
    testsupport::write_file(dir_.file("s" + std::to_string(static_cast<int>(seconds)) + ".csv"),
                            wave_record(seconds, 0.01, 2));
  }
  const std::vector<std::string> seeds{dir_.file("s22.csv"), dir_.file("missing.csv"),
                                       dir_.file("s25.csv"), dir_.file("s28.csv")};
  std::string reports[2];
  std::string files[2][3];
  for (const int threads : {1, 2}) {
    const std::string folder = dir_.file("j" + std::to_string(threads));
    std::filesystem::create_directory(folder);
    std::vector<std::string> args = seeds;
    args.insert(args.end(), {"--out-dir", folder, "-j", std::to_string(threads), "--max-iterations=1"});
    const Outcome run = run_match(args);
    EXPECT_EQ(run.status, match::kExitFailure) << "a seed was not read";
    EXPECT_NE(run.err.find("missing.csv: cannot open"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("missing.csv  not read\n"), std::string::npos) << run.out;
    reports[threads - 1] = run.out;
    const char* names[] = {"s22-matched.csv", "s25-matched.csv", "s28-matched.csv"};
    for (int k = 0; k < 3; ++k) files[threads - 1][k] = read_file(folder + "/" + names[k]);
  }
  std::string one = reports[0];
  for (std::size_t at = one.find("/j1/"); at != std::string::npos; at = one.find("/j1/", at)) {
    one.replace(at, 4, "/j2/");
  }
  EXPECT_EQ(one, reports[1]);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(files[0][k].empty());
    EXPECT_EQ(files[0][k], files[1][k]) << k;
  }
}

}  // namespace
