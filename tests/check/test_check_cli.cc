// seedacc-check run as a process: statuses, messages on standard error, and
// output files that appear only after a successful run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Cli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("seedacc-check-cli-" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "work");
    // A valid record: header and 3000 samples of a decaying sine.
    std::string text = " time(sec),seed-Acc(gal)\n";
    char line[64];
    for (int i = 0; i < 3000; ++i) {
      const double t = i * 0.01;
      std::snprintf(line, sizeof line, "%8.2f,%12.4E\n", t,
                    150.0 * std::sin(9.0 * t) * std::exp(-0.1 * t));
      text += line;
    }
    write("good.csv", text);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / "work" / name, std::ios::binary) << content;
  }

  // Runs the binary in the work folder with `args` (shell words).
  Outcome run(const std::string& args) {
    const std::string command = "cd '" + (dir_ / "work").string() + "' && '" +
                                SEEDACC_CHECK_PATH + "' " + args + " >'" +
                                (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() +
                                "'; echo $? >'" + (dir_ / "status").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    Outcome outcome;
    outcome.status = std::stoi(read_file(dir_ / "status"));
    outcome.out = read_file(dir_ / "out");
    outcome.err = read_file(dir_ / "err");
    return outcome;
  }

  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "work")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(Cli, GoodRecordWritesReportTableAndPicture) {
  const Outcome outcome = run("good.csv --csv table.csv --damping=0.05 --svg pic.svg");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.out.rfind("seedacc-check: good.csv\n", 0), 0u);
  EXPECT_NE(outcome.out.find("\nverdict (jp): "), std::string::npos);
  EXPECT_EQ(files(), (std::vector<std::string>{"good.csv", "pic.svg", "table.csv"}));
  EXPECT_EQ(read_file(dir_ / "work" / "pic.svg").rfind("<?xml", 0), 0u);
  // Two runs give the same report and files.
  const std::string table = read_file(dir_ / "work" / "table.csv");
  EXPECT_EQ(run("--svg pic.svg --csv table.csv good.csv").out, outcome.out);
  EXPECT_EQ(read_file(dir_ / "work" / "table.csv"), table);
  // The table's target column is the target scaled for the damping.
  EXPECT_NE(run("good.csv --damping 0.02 --csv damped.csv").out, outcome.out);
  EXPECT_NE(read_file(dir_ / "work" / "damped.csv").find("\n1,1,"), std::string::npos);
  EXPECT_NE(read_file(dir_ / "work" / "damped.csv").find(",640,"), std::string::npos);
}

TEST_F(Cli, HelpGoesToStandardOutput) {
  const Outcome outcome = run("--help");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out.rfind("usage: seedacc-check FILE", 0), 0u);
}

struct BadInput {
  const char* name;
  const char* content;  // nullptr: the file is not created
  const char* message;  // the whole first line of standard error
};

// Named in test listings by its case, not by its bytes.
void PrintTo(const BadInput& bad, std::ostream* out) { *out << bad.name; }

class CliBadInput : public Cli, public testing::WithParamInterface<BadInput> {};

// Status 1, one line naming file and line, and the existing output file and
// the missing one both left as they were.
TEST_P(CliBadInput, OneLineStatusOneAndNoOutput) {
  const BadInput& bad = GetParam();
  if (bad.content != nullptr) write("bad.csv", bad.content);
  write("old.csv", "old\n");
  const Outcome outcome = run("bad.csv --csv old.csv --svg new.svg");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, std::string(bad.message) + "\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(read_file(dir_ / "work" / "old.csv"), "old\n");
  std::vector<std::string> expected{"good.csv", "old.csv"};
  if (bad.content != nullptr) expected.insert(expected.begin(), "bad.csv");
  EXPECT_EQ(files(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, CliBadInput,
    testing::Values(
        BadInput{"Missing", nullptr,
                 "seedacc-check: bad.csv: cannot open (No such file or directory)"},
        BadInput{"Empty", "", "seedacc-check: bad.csv:1: the file is empty"},
        BadInput{"NotTwoNumbers", " h\n0.00,1\n0.01,x\n",
                 "seedacc-check: bad.csv:3: expected two numbers, time and acceleration, "
                 "separated by a comma, a semicolon, blanks or a tab, found \"0.01,x\""},
        BadInput{"Unequal", "0.00,1\n0.01,1\n0.03,1\n0.04,1\n0.05,1\n",
                 "seedacc-check: bad.csv:3: time 0.03 s breaks the equal spacing of the "
                 "times (dt 0.0125 s, expected 0.0225 s within 0.005 s); the largest deviation "
                 "in the file, 0.0075 s (1 step off)"},
        BadInput{"OneRecord", " h\n0.00,1\n",
                 "seedacc-check: bad.csv:3: only 1 record; at least 2 are needed"}),
    [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST_F(Cli, UnwritableOutputWritesNothing) {
  const Outcome outcome = run("good.csv --svg pic.svg --csv no/such/dir/table.csv");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err.rfind("seedacc-check: no/such/dir/table.csv: cannot write (", 0), 0u)
      << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(files(), std::vector<std::string>{"good.csv"});
}

// An output naming the input, by any path, is refused before anything is
// written: the record stays as it was and no other output appears.
TEST_F(Cli, OutputNamingTheInputIsRefused) {
  fs::create_symlink("good.csv", dir_ / "work" / "soft.csv");
  fs::create_hard_link(dir_ / "work" / "good.csv", dir_ / "work" / "hard.csv");
  const std::string record = read_file(dir_ / "work" / "good.csv");
  const char* const cases[][2] = {
      {"good.csv --csv good.csv", "the same name"},
      {"good.csv --svg ./good.csv --csv t.csv", "another spelling, the other output valid"},
      {"good.csv --csv ../work/good.csv", "through the parent folder"},
      {"good.csv --csv soft.csv", "a symbolic link to the input"},
      {"good.csv --svg hard.csv", "a hard link to the input"},
      {"good.csv --html ./good.csv", "the page"},
      {"soft.csv --csv good.csv", "the input given as a link"},
  };
  for (const auto& usage : cases) {
    const Outcome outcome = run(usage[0]);
    EXPECT_EQ(outcome.status, 2) << usage[1];
    EXPECT_NE(outcome.err.find("names the input"), std::string::npos) << usage[1] << outcome.err;
    EXPECT_TRUE(read_file(dir_ / "work" / "good.csv") == record) << usage[1];
    EXPECT_EQ(files(), (std::vector<std::string>{"good.csv", "hard.csv", "soft.csv"}))
        << usage[1];
  }
}

// Two records and an unreadable one: a report for each record read, then
// the summary of all three; outputs in the folder, named after each record;
// status 1 for the file that could not be read.
TEST_F(Cli, SeveralFilesGiveReportsAndSummary) {
  fs::copy_file(dir_ / "work" / "good.csv", dir_ / "work" / "two.csv");
  fs::create_directory(dir_ / "work" / "out");
  Outcome outcome = run("good.csv two.csv --csv out --svg out/");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::size_t second = outcome.out.find("\nseedacc-check: two.csv\n");
  EXPECT_EQ(outcome.out.rfind("seedacc-check: good.csv\n", 0), 0u);
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(outcome.out.rfind("verdict (jp): FAIL", second), std::string::npos);
  EXPECT_NE(outcome.out.find("\nsummary of 2 records\n  file      verdicts          min ratio"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("\n  two.csv   jp FAIL "), std::string::npos) << outcome.out;
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(dir_ / "work" / "out")) {
    written.push_back(entry.path().filename().string());
  }
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"good.spectrum.csv", "good.svg",
                                               "two.spectrum.csv", "two.svg"}));
  outcome = run("good.csv missing.csv two.csv");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "seedacc-check: missing.csv: cannot open (No such file or directory)\n");
  EXPECT_NE(outcome.out.find("\n  missing.csv  not read\n"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("\nseedacc-check: two.csv\n"), std::string::npos);
}

// "--" ends the options, a sign may lead a number, and a name with a
// control character is printed escaped, on one line.
TEST_F(Cli, OptionEndSignAndControlCharacters) {
  fs::copy_file(dir_ / "work" / "good.csv", dir_ / "work" / "-odd.csv");
  Outcome outcome = run("--damping +0.05 --range=+0.1:+50 -- -odd.csv");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("seedacc-check: -odd.csv\n", 0), 0u) << outcome.out;
  outcome = run("good.csv \"$(printf 'new\\nline.csv')\"");
  EXPECT_EQ(outcome.err, "seedacc-check: new\\nline.csv: cannot open (No such file or directory)\n");
  EXPECT_NE(outcome.out.find("\n  new\\nline.csv  not read\n"), std::string::npos) << outcome.out;
}

TEST_F(Cli, UsageErrorsExitTwoWithUsage) {
  const char* const cases[][2] = {
      {"good.csv --frobnicate", "unknown option '--frobnicate'"},
      {"good.csv --csv", "--csv needs a value"},
      {"good.csv --csv --svg out.svg", "--csv needs a value"},
      {"good.csv --svg=", "--svg needs a value"},
      {"good.csv --damping 0", "--damping must be between 0 and 1 (exclusive), got '0'"},
      {"good.csv --damping 1", "--damping must be between 0 and 1 (exclusive), got '1'"},
      {"good.csv --damping -0.1", "--damping must be between 0 and 1 (exclusive), got '-0.1'"},
      {"good.csv --damping nan", "--damping needs a number, got 'nan'"},
      {"good.csv --csv a.csv --csv=b.csv", "--csv is given twice"},
      {"good.csv --damping=+-0.05", "--damping needs a number, got '+-0.05'"},
      {"good.csv \"--$(printf '\\033')x\"", "unknown option '--\\x1bx'"},
      {"good.csv --damping 5%", "--damping needs a number, got '5%'"},
      {"--csv a.csv", "no record FILE given"},
      {"good.csv good.csv --csv t.csv",
       "--csv must name a folder when several files are checked, got 't.csv'"},
      {"good.csv --range 1", "--range needs F1:F2 in Hz, got '1'"},
      {"good.csv --range 10:1", "--range F1:F2 needs 0.1 Hz to 50 Hz with F1 < F2, got '10:1'"},
      {"good.csv --csv x --svg x", "--csv and --svg name the same file"},
      {"good.csv --csv x --html x", "--csv and --html name the same file"},
  };
  for (const auto& usage : cases) {
    const Outcome outcome = run(usage[0]);
    EXPECT_EQ(outcome.status, 2) << usage[0];
    EXPECT_EQ(outcome.err.rfind(std::string("seedacc-check: ") + usage[1] + "\nusage: ", 0), 0u)
        << usage[0] << "\n" << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(files(), std::vector<std::string>{"good.csv"}) << usage[0];
  }
}

}  // namespace
