// The output file, written by real runs in a temporary folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "e2e.h"

namespace {

using testsupport::read_file;
using testsupport::TempDir;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A finished file: the header, 16384 records of 21 characters at the times
// 0.00 ... 163.83, every line ended by a single line feed.
void expect_well_formed(const std::string& content) {
  ASSERT_FALSE(content.empty());
  EXPECT_EQ(content.back(), '\n');
  EXPECT_EQ(content.find('\r'), std::string::npos);
  std::vector<std::string> lines = lines_of(content);
  ASSERT_EQ(lines.size(), 16385u);
  EXPECT_EQ(lines[0], " time(sec),seed-Acc(gal)");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].size(), 21u) << "line " << i + 1;
    // Times print as consecutive hundredths without gaps or repeats.
    char expected_time[16];
    std::snprintf(expected_time, sizeof expected_time, "%8.2f,", static_cast<double>(i - 1) / 100.0);
    ASSERT_EQ(lines[i].substr(0, 9), expected_time) << "line " << i + 1;
  }
}

TEST(OutputFile, DefaultRunIsWellFormed) {
  TempDir dir;
  auto run = e2e::run_seedacc("7\n0\nout.csv\n", dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  std::string content = read_file(dir.file("out.csv"));
  expect_well_formed(content);
  std::vector<std::string> lines = lines_of(content);
  EXPECT_EQ(lines[1], "    0.00,  0.0000E+00");  // the envelope is 0 at time 0
  EXPECT_EQ(lines[2], "    0.01, -0.7407E-04");  // seed 7, by the whole algorithm
  EXPECT_EQ(lines.back().substr(0, 9), "  163.83,");
  EXPECT_EQ(content.size(), 25u + 16384u * 22u);
}

TEST(OutputFile, SameAnswersGiveTheSameBytes) {
  TempDir one, two;
  e2e::run_seedacc("7\n0\nout.csv\n", one.path());
  e2e::run_seedacc("7\n0\nout.csv\n", two.path());
  EXPECT_EQ(read_file(one.file("out.csv")), read_file(two.file("out.csv")));
}

TEST(OutputFile, CornerTimesShapeTheRecord) {
  TempDir dir;
  // te below the last sample: every sample from 100 s on is zero.
  auto run = e2e::run_seedacc("7\n1\n4 35 80 100\nout.csv\n", dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = lines_of(read_file(dir.file("out.csv")));
  ASSERT_EQ(lines.size(), 16385u);
  for (std::size_t i = 10001; i < lines.size(); ++i)
    ASSERT_EQ(lines[i].substr(9), "  0.0000E+00") << "line " << i + 1;
  EXPECT_NE(lines[10000].substr(9), "  0.0000E+00");  // 99.99 s is still shaped
}

TEST(OutputFile, ALongerFileIsCutAfterTheLastRecord) {
  TempDir dir, fresh;
  testsupport::write_file(dir.file("out.csv"), std::string(500000, 'x'));
  ASSERT_EQ(e2e::run_seedacc("7\n0\nout.csv\n", dir.path()).status, 0);
  ASSERT_EQ(e2e::run_seedacc("7\n0\nout.csv\n", fresh.path()).status, 0);
  EXPECT_EQ(read_file(dir.file("out.csv")), read_file(fresh.file("out.csv")));
}

TEST(OutputFile, AShorterFileGrows) {
  TempDir dir, fresh;
  testsupport::write_file(dir.file("out.csv"), "old\ncontent\n");
  ASSERT_EQ(e2e::run_seedacc("7\n0\nout.csv\n", dir.path()).status, 0);
  ASSERT_EQ(e2e::run_seedacc("7\n0\nout.csv\n", fresh.path()).status, 0);
  EXPECT_EQ(read_file(dir.file("out.csv")), read_file(fresh.file("out.csv")));
}

TEST(OutputFile, QuotedNamesKeepLeadingAndEmbeddedBlanks) {
  TempDir dir;
  auto run = e2e::run_seedacc("7\n0\n'  my results.csv'\n", dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  expect_well_formed(read_file(dir.file("  my results.csv")));
}

TEST(OutputFile, APipeIsWrittenButNeverCut) {
  TempDir dir;
  // Standard output as the file: the records follow the dialogue.
  auto run = e2e::run_seedacc("7\n0\n'/dev/stdout'\n", dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  std::string dialogue = e2e::dialogue(false);
  ASSERT_EQ(run.out.substr(0, dialogue.size()), dialogue);
  expect_well_formed(run.out.substr(dialogue.size()));
}

// 64-bit FNV-1a of a file's bytes: enough to see any changed byte.
std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3u;
  }
  return hash;
}

// Files of earlier builds. The checksums were taken from a build whose F
// and E fields all went through the general editors (the conversion that
// "%#.*f" and "%#.*E" make), before the record fields had their fast
// paths; every file is 360473 bytes.
struct GoldenRun {
  const char* answers;
  std::uint64_t checksum;
};

const GoldenRun kGoldenRuns[] = {
    {"7\n0\nout.csv\n", 0xda02416d5cf60a69u},  // the worked example
    {"1\n0\nout.csv\n", 0xad4368d39968fcc1u},
    {"999\n0\nout.csv\n", 0xfd67e90ed16905e9u},
    {"0\n0\nout.csv\n", 0x83d4824438bcdbb9u},    // a seed the generator replaces
    {"500\n0\nout.csv\n", 0x84707cc52a7400dbu},
    {"7\n1\n4 35 80 100\nout.csv\n", 0x61d4743a17df4afau},   // te below the last sample
    {"42\n1\n10,,,90\nout.csv\n", 0x2ba221e922bf1d96u},      // null values keep tc and td
    {"123\n1\n0 0 0 163.84\nout.csv\n", 0xc8dc443c7ffae6b3u},  // tb <= 0
};

TEST(OutputFile, SeedsGiveTheFilesOfEarlierBuilds) {
  for (const GoldenRun& golden : kGoldenRuns) {
    TempDir dir;
    auto run = e2e::run_seedacc(golden.answers, dir.path());
    ASSERT_EQ(run.status, 0) << golden.answers << run.err;
    std::string content = read_file(dir.file("out.csv"));
    EXPECT_EQ(content.size(), 360473u) << golden.answers;
    EXPECT_EQ(fnv1a(content), golden.checksum) << golden.answers;
  }
}

}  // namespace
