// Answers that test the reader's line ends and repeat counts, as a real
// process meets them: the exact standard error, the ending, and the file by
// its name, compared with the file of a run given the plain answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>

#include "e2e.h"

namespace {

using testsupport::ProcessResult;
using testsupport::TempDir;

const char kReadState[] =
    "apparent state: unit 5 (unnamed)\n"
    "last format: list io\n"
    "lately reading sequential formatted external IO\n";

const std::string kFortyNines(40, '9');
const std::string kFortyTwoOnes(42, '1');

const char kCornerPrompt[] = " Enter tb,tc,td,te(s):\n";
const char kNamePrompt[] = " Enter a Seed Acceleration for OUTPUT\n";

struct Row {
  std::string answers;
  const char* last_prompt;  // how standard output ends
  std::string err;          // empty: a normal end with status 0
  std::string name;         // the one file the run leaves; empty: none
  std::string plain;        // answers of a run that writes the same file
  const char* why;
};

const Row kRows[] = {
    {"7\n1\n1,2,3\r", kCornerPrompt,
     std::string("invalid number: incomprehensible list input\n") + kReadState, "", "",
     "a lone CR begins the value for te"},
    {"7\n1\n4*2.5\r", kNamePrompt, std::string("read start: end of file\n") + kReadState, "", "",
     "a lone CR ends 2.5; the name prompt comes, then the end of input"},
    {"7\n0\nout.csv\r\r\n", kNamePrompt, "", "out.csv\r", "7\n0\nout.csv\n",
     "CR before CR LF is ordinary"},
    {"7\n0\n'out.csv\r\r\n'\n", kNamePrompt, "", "out.csv\r", "7\n0\nout.csv\n",
     "the same inside quotes"},
    {"7\n0\n2*out.csv\r\r\n", kNamePrompt, "", "out.csv\r", "7\n0\nout.csv\n",
     "the same after a count"},
    {"7\n0\n'ab\\\r'\n", kNamePrompt, "", "ab\\\r", "7\n0\nout.csv\n",
     "backslash and lone CR are ordinary; the quote closes"},
    {"2147483648*5\n0\nout.csv\n", kNamePrompt, "", "out.csv", "5\n0\nout.csv\n",
     "count above 2^31-1"},
    {kFortyNines + "*5\n0\nout.csv\n", kNamePrompt, "", "out.csv", "5\n0\nout.csv\n",
     "40-digit count"},
    {"7\n1\n99999999999*2.5\nout.csv\n", kNamePrompt, "", "out.csv",
     "7\n1\n2.5 2.5 2.5 2.5\nout.csv\n", "a large count fills all four corner times"},
    {"7\n0\n2147483648*out.csv\n", kNamePrompt, "", "out.csv", "7\n0\nout.csv\n",
     "a count before a text is never fatal"},
    {"7\n0\n" + kFortyTwoOnes + "*\tx\n", kNamePrompt,
     "open: null file name\n"
     "apparent state: unit 9 named \n"
     "last format: list io\n"
     "lately reading sequential formatted external IO\n",
     "", "", "42-digit count and a tab: a null name"},
};

TEST(InputRules, LoneCarriageReturnsAndRepeatCounts) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.why);
    TempDir dir;
    ProcessResult run = e2e::run_seedacc(row.answers, dir.path());
    EXPECT_EQ(run.err, row.err);
    const std::string tail = row.last_prompt;
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), tail.size())), tail);
    if (row.err.empty()) {
      EXPECT_TRUE(run.exited && run.status == 0);
    } else {
      EXPECT_TRUE(!run.exited && run.signal == SIGABRT);
    }
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      names += entry.path().filename().string() + "|";
    EXPECT_EQ(names, row.name.empty() ? "" : row.name + "|");
    if (row.name.empty()) continue;
    TempDir plain_dir;
    ASSERT_EQ(e2e::run_seedacc(row.plain, plain_dir.path()).status, 0);
    const std::string file = testsupport::read_file(dir.file(row.name));
    EXPECT_TRUE(file == testsupport::read_file(plain_dir.file("out.csv")))
        << "not the file of the plain answers (" << file.size() << " bytes)";
  }
}

}  // namespace
