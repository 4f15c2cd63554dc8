// test_answer_streams.cc: the whole program under seeded pseudo-random
// answer streams, each run as a real process in a folder of its own. Every
// run must end in exactly one of two ways:
//   - status 0, nothing on standard error, the complete dialogue on
//     standard output and one well-formed record file in its folder;
//   - SIGABRT with a fatal report whose first line is one of the system's
//     and whose state lines are those of the failed statement, nothing
//     created in its folder.
// The streams mix plausible answers with the characters that steer the
// reader (digits, signs, commas, slashes, stars, quotes, blanks, tabs,
// CR LF, long digit strings, bytes above 127, NUL).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "e2e.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testsupport::ProcessResult;
using testsupport::TempDir;

// 300 streams in six groups, so that ctest can run the groups side by side.
constexpr int kGroups = 6;
constexpr int kStreamsPerGroup = 50;

constexpr int kRecordCount = 16384;
constexpr std::size_t kRecordLength = 21;  // F8.2, ',', E12.4

const char kHeader[] = " time(sec),seed-Acc(gal)";

const char kReadState[] =
    "apparent state: unit 5 (unnamed)\n"
    "last format: list io\n"
    "lately reading sequential formatted external IO\n";

// ---------------------------------------------------------------- streams

class StreamMaker {
 public:
  explicit StreamMaker(unsigned seed) : random_(seed) {}

  // One whole answer stream: the seed, the yes/no answer, maybe corner
  // times, the name, maybe something after it.
  std::string stream() {
    std::string text;
    text += answer(&StreamMaker::plain_seed);
    text += answer(&StreamMaker::plain_yes_no);
    if (chance(50)) text += answer(&StreamMaker::plain_corners);
    text += answer(&StreamMaker::plain_name);
    if (chance(20)) text += junk_line();
    return keep_names_in_folder(text);
  }

 private:
  using Plain = std::string (StreamMaker::*)();

  bool chance(int percent) { return pick(100) < percent; }
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  template <typename T, std::size_t N>
  const T& one_of(const T (&choices)[N]) {
    return choices[pick(static_cast<int>(N))];
  }

  std::string line_end() {
    static const char* const kEnds[] = {"\n", "\n", "\n", "\n", "\n", "\r\n", "\r\n", "\n\n", "\r", ""};
    return one_of(kEnds);
  }

  // Mostly a plausible answer, sometimes bytes of any kind.
  std::string answer(Plain plain) {
    if (chance(85)) return (this->*plain)() + line_end();
    return junk_line();
  }

  std::string digits(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + pick(10));
    return text;
  }

  std::string plain_seed() {
    static const char* const kSeeds[] = {"7", "  42 7", "+7", "-3", "0", "5+3", "12abc", ",", "/",
                                         "2*9", "2147483648", "-2147483649", "15-1", "\t9"};
    if (chance(70)) return one_of(kSeeds);
    return (chance(30) ? "-" : "") + digits(1 + pick(chance(10) ? 60 : 6));
  }

  std::string plain_yes_no() {
    static const char* const kAnswers[] = {"0", "1", "1", "1", "2", "-1", " 1 0", "1,", "1/",
                                           "01", "1+0", "3*1", ",", "0,"};
    return one_of(kAnswers);
  }

  std::string number() {
    static const char* const kNumbers[] = {"10", ".5", "1.", "1.5D2", "1+2", "-0", "2.5e-3",
                                           "1e400", "", "3*", "2*1.5", "90"};
    if (chance(60)) return one_of(kNumbers);
    std::string text = digits(1 + pick(chance(10) ? 50 : 3));
    if (chance(40)) text += "." + digits(pick(4));
    if (chance(15)) text += std::string(chance(50) ? "e" : "") + (chance(50) ? "-" : "+") + digits(1 + pick(3));
    return text;
  }

  std::string plain_corners() {
    static const char* const kSeparators[] = {" ", ",", ", ", "\t", "\n", "  ", ",,"};
    std::string text;
    int count = 1 + pick(5);
    for (int i = 0; i < count; ++i) {
      if (i > 0) text += one_of(kSeparators);
      text += number();
    }
    if (chance(10)) text += "/";
    return text;
  }

  std::string plain_name() {
    // Written as std::string literals: two of them hold a NUL.
    static const std::string kNames[] = {
        "out.csv"s, "2020data.csv"s, "3*out.csv"s, "'my results.csv'"s, "'it''s'"s, "it's"s,
        "\"a b\""s, "''"s, "'  lead'"s, "."s, ".."s, "'.'"s, "a,b"s, "'x\\\ny'"s, "0*z"s,
        "\"q''q\""s, "r/s"s, "'\xe9t\xe9.csv'"s, "'n\x01'"s, "'\tt'"s, "'\0z'"s, "'a\0b'"s};
    static const std::string kFolderNames[] = {"''"s, "."s, ".."s, "'.'"s, "'\0z'"s, "' '"s};
    if (chance(10)) return one_of(kFolderNames);  // the OPEN's failures
    if (chance(70)) return one_of(kNames);
    std::string text;
    int length = 1 + pick(chance(10) ? 70 : 12);
    bool quoted = chance(40);
    if (quoted) text += '\'';
    for (int i = 0; i < length; ++i) text += static_cast<char>('a' + pick(26));
    if (quoted && chance(90)) text += '\'';
    return text;
  }

  // A line of the characters that steer the reader, and of any byte.
  std::string junk_line() {
    static const char kSteering[] = "0123456789+-,/*'\" \t.eEdD\r\n";
    std::string text;
    int length = pick(24);
    for (int i = 0; i < length; ++i) {
      int kind = pick(10);
      if (kind < 6) {
        text += kSteering[pick(static_cast<int>(sizeof kSteering - 1))];
      } else if (kind == 6) {
        text += digits(30 + pick(30));  // long digit strings
      } else if (kind == 7) {
        text += static_cast<char>(128 + pick(128));
      } else if (kind == 8) {
        text += '\0';
      } else {
        text += static_cast<char>('a' + pick(26));
      }
    }
    return text + line_end();
  }

  // A name can hold a '/' only as a quoted text, and a quoted text only
  // holds bytes after its opening quote: with no '/' after the first quote
  // of the stream, no name can leave the run's folder. Without a '/', the
  // only names that reach beyond the folder are "." and "..", the folder
  // and its parent themselves, which can be neither written nor created.
  static std::string keep_names_in_folder(std::string text) {
    std::size_t first_quote = text.find_first_of("'\"");
    if (first_quote == std::string::npos) return text;
    for (std::size_t i = first_quote; i < text.size(); ++i) {
      if (text[i] == '/') text[i] = '_';
    }
    return text;
  }

  std::mt19937 random_;
};

// ---------------------------------------------------------------- checks

std::string printable(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127 && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char escape[8];  // "\xff" and the terminator
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      shown += escape;
    }
  }
  return shown;
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The header and 16384 records of 21 characters, each line ended by a line
// feed; the time column counts up from 0.00 by 0.01.
void expect_well_formed(const std::string& content, const std::string& context) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < content.size()) {
    std::size_t end = content.find('\n', from);
    if (end == std::string::npos) {
      ADD_FAILURE() << context << ": the last line has no line end";
      return;
    }
    lines.push_back(content.substr(from, end - from));
    from = end + 1;
  }
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kRecordCount + 1)) << context;
  EXPECT_EQ(lines[0], kHeader) << context;
  for (int i = 1; i <= kRecordCount; ++i) {
    const std::string& record = lines[static_cast<std::size_t>(i)];
    ASSERT_EQ(record.size(), kRecordLength) << context << ": record " << i;
    char time[16];  // "  163.83" and the terminator
    std::snprintf(time, sizeof time, "%8.2f", (i - 1) * 0.01);
    ASSERT_EQ(record.substr(0, 9), std::string(time) + ",") << context << ": record " << i;
  }
}

std::vector<std::string> folder_entries(const std::string& path) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// The report of an OPEN that failed: the name line, the format and the
// lately line of the read before it. Returns the name shown.
bool split_open_report(const std::string& rest, std::string* name) {
  const std::string head = "apparent state: unit 9 named ";
  const std::string tail = "\nlast format: list io\nlately reading sequential formatted external IO\n";
  if (!starts_with(rest, head) || !ends_with(rest, tail) || rest.size() < head.size() + tail.size()) {
    return false;
  }
  *name = rest.substr(head.size(), rest.size() - head.size() - tail.size());
  return true;
}

void expect_fatal_report(const ProcessResult& run, const std::string& context) {
  std::size_t line_end = run.err.find('\n');
  ASSERT_NE(line_end, std::string::npos) << context << ": no report";
  std::string first = run.err.substr(0, line_end);
  std::string rest = run.err.substr(line_end + 1);
  static const char* const kReaderLines[] = {
      "list in: end of file",
      "read start: end of file",
      "invalid number: incomprehensible list input",
      "bad repetition count: incomprehensible list input",
      "exponent field: incomprehensible list input",
      "invalid integer: read unexpected character",
  };
  for (const char* reader_line : kReaderLines) {
    if (first == reader_line) {
      EXPECT_EQ(rest, kReadState) << context;
      return;
    }
  }
  // The OPEN's failures. In an empty folder and without a '/', a name can
  // fail only by being blank, by starting with a NUL (the name the platform
  // sees is empty) or by being the folder or its parent.
  std::string name;
  ASSERT_TRUE(split_open_report(rest, &name)) << context << ": " << printable(run.err);
  EXPECT_LE(name.size(), 50u) << context;
  if (first == "open: null file name") {
    EXPECT_EQ(name, "") << context;
  } else if (first == std::string("open: ") + std::strerror(EISDIR)) {
    EXPECT_TRUE(name == "." || name == "..") << context;
  } else if (first == std::string("open: ") + std::strerror(ENOENT)) {
    EXPECT_TRUE(!name.empty() && name[0] == '\0') << context;
  } else {
    ADD_FAILURE() << context << ": not one of the system's first lines: " << printable(first);
  }
}

// How the runs of a group ended, to keep the generator honest.
struct Tally {
  int completed = 0;
  int reader_reports = 0;
  int open_reports = 0;
};

void run_stream(int stream_number, Tally* tally) {
  StreamMaker maker(static_cast<unsigned>(stream_number) * 7919u + 17u);
  std::string answers = maker.stream();
  std::string context = "stream " + std::to_string(stream_number) + " \"" + printable(answers) + "\"";

  // The run's own folder inside a folder that must hold nothing else
  // afterwards: a name that escaped would show there.
  TempDir outer;
  std::string folder = outer.file("run");
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0) << context;
  testsupport::ProcessOptions options;
  options.timeout_seconds = 20;
  ProcessResult run = e2e::run_seedacc(answers, folder, options);

  EXPECT_EQ(folder_entries(outer.path()), std::vector<std::string>{"run"}) << context;
  std::vector<std::string> created = folder_entries(folder);
  std::string full_dialogue[2] = {e2e::dialogue(false), e2e::dialogue(true)};

  if (run.exited) {
    EXPECT_EQ(run.status, 0) << context << ": " << printable(run.err);
    EXPECT_EQ(run.err, "") << context;
    EXPECT_TRUE(run.out == full_dialogue[0] || run.out == full_dialogue[1]) << context;
    ASSERT_EQ(created.size(), 1u) << context;
    std::string path = folder + "/" + created[0];
    ASSERT_TRUE(fs::is_regular_file(path)) << context;
    expect_well_formed(testsupport::read_file(path), context);
    ++tally->completed;
    return;
  }
  ASSERT_EQ(run.signal, SIGABRT) << context << ": " << printable(run.err);
  expect_fatal_report(run, context);
  ++(starts_with(run.err, "open: ") ? tally->open_reports : tally->reader_reports);
  EXPECT_TRUE(created.empty()) << context;
  // The prompts shown before the end are the beginning of the dialogue.
  EXPECT_TRUE(starts_with(full_dialogue[0], run.out) || starts_with(full_dialogue[1], run.out))
      << context << ": " << printable(run.out);
}

class AnswerStreams : public testing::TestWithParam<int> {};

TEST_P(AnswerStreams, EndNormallyWithARecordFileOrWithAFatalReport) {
  int group = GetParam();
  Tally tally;
  for (int i = 0; i < kStreamsPerGroup; ++i) {
    run_stream(group * kStreamsPerGroup + i, &tally);
    if (HasFatalFailure()) return;
  }
  // Each group reaches the record file, the reader's reports and the
  // OPEN's reports; a generator that stopped doing so would test less.
  std::printf("group %d: %d completed, %d reader reports, %d open reports\n", group,
              tally.completed, tally.reader_reports, tally.open_reports);
  EXPECT_GE(tally.completed, kStreamsPerGroup / 10);
  EXPECT_GE(tally.reader_reports, kStreamsPerGroup / 10);
  EXPECT_GE(tally.open_reports, 1);
}

INSTANTIATE_TEST_SUITE_P(Groups, AnswerStreams, testing::Range(0, kGroups));

}  // namespace
