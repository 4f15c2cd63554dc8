// The console dialogue, run as a real process with piped answers.
#include <gtest/gtest.h>

#include "e2e.h"

namespace {

using testsupport::TempDir;

TEST(Dialogue, WorkedExampleIsExactAndQuiet) {
  TempDir dir;
  auto run = e2e::run_seedacc("7\n0\nout.csv\n", dir.path());
  EXPECT_EQ(run.out, e2e::dialogue(false));
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(testsupport::file_exists(dir.file("out.csv")));
}

TEST(Dialogue, OnlyAnswerOneAsksForTheCornerTimes) {
  struct Row {
    const char* answer;
    bool asks;
  } rows[] = {
      {"1", true},
      {"0", false},
      {"2", false},
      {"-1", false},
      {",", false},  // a null answer keeps ncorner at 0
  };
  for (const Row& row : rows) {
    TempDir dir;
    std::string answers = std::string("7\n") + row.answer + "\n";
    if (row.asks) answers += "1 2 3 4\n";
    answers += "f.csv\n";
    auto run = e2e::run_seedacc(answers, dir.path());
    EXPECT_EQ(run.out, e2e::dialogue(row.asks)) << row.answer;
    EXPECT_EQ(run.status, 0) << row.answer;
  }
}

TEST(Dialogue, CornerTimesMaySpreadOverLines) {
  TempDir dir;
  auto run = e2e::run_seedacc("7\n1\n5\n\n30,\n90 150\nf.csv\n", dir.path());
  EXPECT_EQ(run.out, e2e::dialogue(true));
  EXPECT_EQ(run.status, 0);
}

TEST(Dialogue, WindowsLineEndsReadLikeLineFeeds) {
  TempDir unix_dir, windows_dir;
  auto unix_run = e2e::run_seedacc("7\n1\n10,,,90\nout.csv\n", unix_dir.path());
  auto windows_run = e2e::run_seedacc("7\r\n1\r\n10,,,90\r\nout.csv\r\n", windows_dir.path());
  EXPECT_EQ(windows_run.out, unix_run.out);
  EXPECT_EQ(windows_run.status, 0);
  EXPECT_EQ(testsupport::read_file(windows_dir.file("out.csv")),
            testsupport::read_file(unix_dir.file("out.csv")));
}

TEST(Dialogue, ExtraValuesOnALineAreIgnored) {
  TempDir one, two;
  auto plain = e2e::run_seedacc("5\n0\nout.csv\n", one.path());
  auto extra = e2e::run_seedacc("5 6\n0 1\nout.csv more\n", two.path());
  EXPECT_EQ(extra.out, plain.out);
  EXPECT_EQ(testsupport::read_file(two.file("out.csv")), testsupport::read_file(one.file("out.csv")));
}

}  // namespace
