// How a run ends: the fatal reports, the signals and the exit statuses, as
// a real process meets them.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "e2e.h"

namespace {

using testsupport::ProcessOptions;
using testsupport::ProcessResult;
using testsupport::TempDir;

const char kReadState[] =
    "apparent state: unit 5 (unnamed)\n"
    "last format: list io\n"
    "lately reading sequential formatted external IO\n";

void expect_aborted(const ProcessResult& run) {
  EXPECT_FALSE(run.exited);
  EXPECT_EQ(run.signal, SIGABRT);
}

TEST(FatalReport, BadAnswersToTheSeedPrompt) {
  struct Row {
    const char* answers;
    const char* first_line;
  } rows[] = {
      {"abc\n", "invalid number: incomprehensible list input\n"},
      {"1.0\n", "invalid integer: read unexpected character\n"},
      {"5+\n", "exponent field: incomprehensible list input\n"},
      {"", "list in: end of file\n"},  // end of input at the first prompt
      {"0*5\n", "bad repetition count: incomprehensible list input\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    ProcessResult run = e2e::run_seedacc(row.answers, dir.path());
    EXPECT_EQ(run.err, std::string(row.first_line) + kReadState) << row.answers;
    expect_aborted(run);
    // The prompt was shown before the program waited for the answer.
    EXPECT_EQ(run.out, "\n Enter Random Number (1-999)\n") << row.answers;
  }
}

TEST(FatalReport, InputEndingRightAfterTheSeed) {
  TempDir dir;
  ProcessResult run = e2e::run_seedacc("7", dir.path());
  EXPECT_EQ(run.err, std::string("read start: end of file\n") + kReadState);
  expect_aborted(run);
}

TEST(FatalReport, BlankFileNameCreatesNothing) {
  TempDir dir;
  ProcessResult run = e2e::run_seedacc("7\n0\n''\n", dir.path());
  EXPECT_EQ(run.err,
            "open: null file name\n"
            "apparent state: unit 9 named \n"
            "last format: list io\n"
            "lately reading sequential formatted external IO\n");
  expect_aborted(run);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(FatalReport, NameInAMissingFolder) {
  TempDir dir;
  ProcessResult run = e2e::run_seedacc("7\n0\n'nowhere/out.csv'\n", dir.path());
  EXPECT_EQ(run.err,
            "open: No such file or directory\n"
            "apparent state: unit 9 named nowhere/out.csv\n"
            "last format: list io\n"
            "lately reading sequential formatted external IO\n");
  expect_aborted(run);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(FatalReport, FileThatMayNotBeWritten) {
  TempDir dir;
  std::string path = dir.file("locked.csv");
  testsupport::write_file(path, "keep me\n");
  std::string lock = "chattr +i '" + path + "' 2>/dev/null";
  if (std::system(lock.c_str()) != 0) GTEST_SKIP() << "chattr +i is not available on this file system";
  ProcessResult run = e2e::run_seedacc("7\n0\nlocked.csv\n", dir.path());
  std::system(("chattr -i '" + path + "'").c_str());
  EXPECT_EQ(run.err,
            "list output start: can't write file\n"
            "apparent state: unit 9 named locked.csv\n"
            "last format: list io\n"
            "lately writing sequential formatted external IO\n");
  expect_aborted(run);
  EXPECT_EQ(testsupport::read_file(path), "keep me\n");
}

TEST(FatalReport, FullDiskIsReportedNotPassedOffAsSuccess) {
  TempDir dir;
  ProcessResult run = e2e::run_seedacc("7\n0\n'/dev/full'\n", dir.path());
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "write: No space left on device\n");
  EXPECT_NE(run.err.find("apparent state: unit 9 named /dev/full\n"), std::string::npos);
  EXPECT_NE(run.err.find("lately writing sequential formatted external IO\n"), std::string::npos);
  expect_aborted(run);
}

TEST(Signals, StopRequestsWhileAnAnswerIsAwaited) {
  struct Row {
    int signal_number;
    const char* answers;  // given before the prompt the signal waits for
    const char* prompt;
    const char* message;
  } rows[] = {
      {SIGINT, "", "Enter Random Number (1-999)\n", "Interrupt\n"},
      {SIGTERM, "7\n0\n", "Enter a Seed Acceleration for OUTPUT\n", "Killed\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    ProcessOptions options;
    options.keep_stdin_open = true;
    options.trigger = row.prompt;
    int signal_number = row.signal_number;
    options.action = [signal_number](pid_t pid) { kill(pid, signal_number); };
    ProcessResult run = e2e::run_seedacc(row.answers, dir.path(), options);
    EXPECT_EQ(run.err, row.message);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // no file before the name
  }
}

TEST(Signals, AnIgnoredInterruptStaysIgnored) {
  TempDir dir;
  ProcessOptions options;
  options.ignore_sigint = true;
  options.keep_stdin_open = true;
  options.trigger = "Enter a Seed Acceleration for OUTPUT\n";
  // The interrupt is ignored; the answer then arrives through a second
  // write that the action makes after the signal.
  ProcessResult run;
  options.action = [](pid_t pid) { kill(pid, SIGINT); };
  run = e2e::run_seedacc("7\n0\nout.csv\n", dir.path(), options);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(testsupport::file_exists(dir.file("out.csv")));
}

TEST(Signals, TerminationWhileRecordsAreWrittenLeavesWholeRecords) {
  TempDir dir;
  std::string fifo = dir.file("pipe.csv");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  std::string drained;
  ProcessOptions options;
  options.trigger = "Enter a Seed Acceleration for OUTPUT\n";
  options.action = [&](pid_t pid) {
    // The program blocks once the pipe is full; nobody reads it yet.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGTERM);
    int fd = open(fifo.c_str(), O_RDONLY);
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) drained.append(buffer, static_cast<std::size_t>(got));
    close(fd);
  };
  ProcessResult run = e2e::run_seedacc("7\n0\npipe.csv\n", dir.path(), options);
  EXPECT_EQ(run.err, "Killed\n");
  EXPECT_EQ(run.status, 1);
  ASSERT_GT(drained.size(), 25u);
  EXPECT_EQ(drained.substr(0, 25), " time(sec),seed-Acc(gal)\n");
  EXPECT_LT(drained.size(), 25u + 16384u * 22u);  // ended early
  EXPECT_EQ((drained.size() - 25) % 22, 0u) << "a record was cut in half";
  EXPECT_EQ(drained.back(), '\n');
}

TEST(Signals, AbortAndFloatingPointSignalsFromElsewhere) {
  struct Row {
    int signal_number;
    const char* message;
  } rows[] = {
      {SIGABRT, "IOT Trap\n"},
      {SIGFPE, "Floating Exception\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    ProcessOptions options;
    options.keep_stdin_open = true;
    options.trigger = "Enter Random Number (1-999)\n";
    int signal_number = row.signal_number;
    options.action = [signal_number](pid_t pid) { kill(pid, signal_number); };
    ProcessResult run = e2e::run_seedacc("", dir.path(), options);
    EXPECT_EQ(run.err, row.message);
    expect_aborted(run);
  }
}

TEST(Endings, NormalRunIsSilent) {
  TempDir dir;
  ProcessResult run = e2e::run_seedacc("7\n0\nout.csv\n", dir.path());
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
}

}  // namespace
