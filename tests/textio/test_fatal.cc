// The fatal report: its first line by code, its state lines, and the second
// fatal error. Each case runs in a death-test child, which aborts.
#include <gtest/gtest.h>

#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "iostate.h"
#include "textio.h"
#include "units.h"

namespace {

class FatalReport : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// CLOSE of a unit whose cut fails.
void close_uncuttable_unit(const std::string& name);

// A read statement started while a write statement is still open.
void start_read_inside_write() {
  f_init();
  const cilist console_out = {0, 6, 0, nullptr, 0};
  const cilist console_in = {0, 5, 0, nullptr, 0};
  s_wsle(&console_out);
  s_rsle(&console_in);
}

// Connects unit 9 to `name` the way OPEN would after a write, but read-only
// underneath, so that the cut at CLOSE fails.
void connect_uncuttable_unit(const std::string& name) {
  int fd = open(name.c_str(), O_RDONLY | O_CREAT, 0644);
  textio::Unit& u = textio::unit(9);
  u.connected = true;
  u.has_name = true;
  u.name = name;
  u.fd = fd;
  u.writing = true;
  u.seekable = true;
  u.out.attach_file(fd, true);
  textio::io_state().current_unit = 9;
}

void close_uncuttable_unit(const std::string& name) {
  f_init();
  connect_uncuttable_unit(name);
  const cllist close_request = {0, 9, nullptr};
  f_clos(&close_request);
}

TEST_F(FatalReport, FirstLineByCode) {
  struct Row {
    int code;
    const char* expected;
  } rows[] = {
      {-1, "^list in: end of file\n"},
      {2, "^list in: No such file or directory\n"},  // the platform's text
      {107, "^list in: null file name\n"},
      {114, "^list in: unit not connected\n"},   // shares its text with 109
      {132, "^list in: Temporary file name \\(TMPDIR\\?\\) too long\n"},
      {133, "^list in: illegal error number 133\n"},  // just past the table
      {204, "^list in: illegal error number 204\n"},
      {-2, "^list in: illegal error number -2\n"},
  };
  for (const Row& row : rows) {
    EXPECT_DEATH(f__fatal(row.code, "list in"), row.expected) << row.code;
  }
}

TEST_F(FatalReport, WithoutAUnitTheStateIsInternal) {
  EXPECT_DEATH(
      {
        textio::io_state().initialized = true;
        f__fatal(112, "invalid number");
      },
      "^invalid number: incomprehensible list input\n"
      "apparent state: internal I/O\n"
      "lately writing sequential formatted external IO\n$");
}

TEST_F(FatalReport, StatementInsideAnotherIsRecursion) {
  EXPECT_DEATH(
      start_read_inside_write(),
      "^I/O recursion: I/O started while already doing I/O\n"
      "apparent state: unit 6 \\(unnamed\\)\n"
      "last format: list io\n"
      "lately writing sequential formatted external IO\n$");
}

TEST_F(FatalReport, FailureAtCloseHasNoFormatLine) {
  std::string name = ::testing::TempDir() + "fatal-close.csv";
  EXPECT_DEATH(
      close_uncuttable_unit(name),
      "^endfile: truncation failed in endfile\n"
      "apparent state: unit 9 named " + name + "\n"
      "lately writing sequential formatted external IO\n$");
  unlink(name.c_str());
}

TEST_F(FatalReport, SecondFatalErrorAbortsAtOnce) {
  // The first report's exit sequence tries to cut the file and fails: the
  // second report gives up after its first line, and the abort handler
  // finishes the line with "IOT Trap".
  std::string name = ::testing::TempDir() + "fatal-twice.csv";
  EXPECT_DEATH(
      {
        f_setsig();
        f_init();
        connect_uncuttable_unit(name);
        f__fatal(112, "invalid number");
      },
      "^invalid number: incomprehensible list input\n"
      "apparent state: unit 9 named [^\n]*\n"
      "lately writing sequential formatted external IO\n"
      "endfile: truncation failed in endfile\n"
      "\\(f__fatal already called, aborting.\\)IOT Trap\n$");
  unlink(name.c_str());
}

}  // namespace
