// answers.cc: the dialogue's read statements over in-memory answers, and
// the checks every outcome must pass.
#include "answers.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "iostate.h"
#include "units.h"

namespace answers {
namespace {

constexpr integer kOne = 1;
const cilist kConsoleIn = {0, 5, 0, nullptr, 0};

// What f__fatal hands over instead of reporting and aborting.
struct FatalEnd {
  int code;
  const char* context;
};

[[noreturn]] void throw_fatal(int code, const char* context) { throw FatalEnd{code, context}; }

// The console units are connected once per process, as at start-up; the
// hook makes every fatal end come back here as a FatalEnd.
void prepare_once() {
  static const bool prepared = [] {
    f_init();
    textio::set_fatal_hook(throw_fatal);
    return true;
  }();
  (void)prepared;
}

void read_integer(integer* value) {
  s_rsle(&kConsoleIn);
  do_lio(&TYINT, &kOne, value, sizeof *value);
  e_rsle();
}

bool same_outcome(const Outcome& a, const Outcome& b) {
  return a.statement == b.statement && a.fatal == b.fatal && a.code == b.code &&
         a.context == b.context && a.name_result == b.name_result &&
         a.values.seed == b.values.seed && a.values.change == b.values.change &&
         std::memcmp(a.values.corners, b.values.corners, sizeof a.values.corners) == 0 &&
         std::memcmp(a.values.name, b.values.name, sizeof a.values.name) == 0;
}

// The input split into lines as the reader sees them: at each line feed,
// with one carriage return directly before it dropped. `ended` tells
// whether the last line had its line feed.
struct Lines {
  std::vector<std::string> text;
  std::vector<bool> ended;
};

Lines split_lines(const std::uint8_t* data, std::size_t size) {
  Lines lines;
  std::string line;
  for (std::size_t i = 0; i < size; ++i) {
    char c = static_cast<char>(data[i]);
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.text.push_back(line);
    lines.ended.push_back(true);
    line.clear();
  }
  if (!line.empty()) {
    lines.text.push_back(line);
    lines.ended.push_back(false);
  }
  return lines;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Blanks around the tokens of a line, and the tokens between them.
std::vector<std::string> blank_separated(const std::string& line) {
  std::vector<std::string> tokens;
  std::string token;
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

// A line holding one plain integer of at most 9 digits, such as " -42 ":
// the reader must store what strtol reads.
bool plain_integer_line(const std::string& line, long* value) {
  std::vector<std::string> tokens = blank_separated(line);
  if (tokens.size() != 1) return false;
  const std::string& token = tokens[0];
  std::size_t start = (token[0] == '+' || token[0] == '-') ? 1 : 0;
  std::size_t digits = token.size() - start;
  if (digits == 0 || digits > 9) return false;
  for (std::size_t i = start; i < token.size(); ++i) {
    if (!is_digit(token[i])) return false;
  }
  *value = std::strtol(token.c_str(), nullptr, 10);
  return true;
}

// A plain decimal number, such as "-1.5", ".5", "12." or "3e-7", with at
// most 40 significant digits and an exponent of at most 3 digits: the
// reader keeps every digit, so it must store what strtod reads.
bool plain_double(const std::string& token, double* value) {
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  int significant = 0;
  bool any_digit = false, leading = true;
  auto digit = [&](char c) {
    any_digit = true;
    if (leading && c == '0') return;
    leading = false;
    ++significant;
  };
  for (; i < token.size() && is_digit(token[i]); ++i) digit(token[i]);
  if (i < token.size() && token[i] == '.') {
    for (++i; i < token.size() && is_digit(token[i]); ++i) digit(token[i]);
  }
  if (!any_digit || significant > 40) return false;
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    std::size_t first = i;
    for (; i < token.size() && is_digit(token[i]); ++i) {
    }
    if (i == first || i - first > 3) return false;
  }
  if (i != token.size()) return false;
  *value = std::strtod(token.c_str(), nullptr);
  return true;
}

// A line of exactly four plain numbers separated by blanks.
bool plain_corner_line(const std::string& line, double values[4]) {
  std::vector<std::string> tokens = blank_separated(line);
  if (tokens.size() != 4) return false;
  for (int i = 0; i < 4; ++i) {
    if (!plain_double(tokens[i], &values[i])) return false;
  }
  return true;
}

// A line holding one plain file name of letters, digits, '.', '_' and '-'
// (no blank, no quote, no star): the name is the line itself.
bool plain_name_line(const std::string& line) {
  if (line.empty()) return false;
  for (char c : line) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '.' ||
                 c == '_' || c == '-';
    if (!plain) return false;
  }
  return true;
}

std::string describe(const std::string& what, const Outcome& outcome) {
  std::string text = what + " (statement " + std::to_string(outcome.statement);
  if (outcome.fatal) text += ", ended with \"" + first_line(outcome) + "\"";
  return text + ")";
}

// Differential checks for the answers whose meaning is plain: each line
// that is a plain value, in the order the dialogue reads them, must give
// exactly that value.
std::string check_plain_lines(const std::uint8_t* data, std::size_t size, const Outcome& outcome) {
  Lines lines = split_lines(data, size);
  const Dialogue& got = outcome.values;
  std::size_t next_line = 0;
  long seed = 0;
  if (lines.text.size() <= next_line || !plain_integer_line(lines.text[next_line], &seed)) return "";
  if (outcome.fatal && outcome.statement == 1) return describe("a plain seed line failed", outcome);
  if (got.seed != seed) return describe("the seed is not the plain number typed", outcome);
  if (!lines.ended[next_line++]) return "";

  long change = 0;
  if (lines.text.size() <= next_line || !plain_integer_line(lines.text[next_line], &change)) return "";
  if (outcome.fatal && outcome.statement == 2) return describe("a plain yes/no line failed", outcome);
  if (got.change != change) return describe("the yes/no answer is not the plain number typed", outcome);
  if (!lines.ended[next_line++]) return "";

  if (change == 1) {
    double corners[4];
    if (lines.text.size() <= next_line || !plain_corner_line(lines.text[next_line], corners)) return "";
    if (outcome.fatal && outcome.statement == 3) return describe("a plain corner line failed", outcome);
    // Compared as numbers: "-0" is a zero without sign for the reader.
    for (int i = 0; i < 4; ++i) {
      if (corners[i] != got.corners[i]) {
        return describe("corner time " + std::to_string(i + 1) + " is not the plain number typed", outcome);
      }
    }
    if (!lines.ended[next_line++]) return "";
  }

  if (lines.text.size() <= next_line || !plain_name_line(lines.text[next_line])) return "";
  if (outcome.fatal) return describe("a plain name line failed", outcome);
  std::string expected = lines.text[next_line].substr(0, Dialogue::kNameLength);
  expected.resize(Dialogue::kNameLength, ' ');
  if (expected.compare(0, std::string::npos, got.name, Dialogue::kNameLength) != 0) {
    return describe("the name is not the plain name typed", outcome);
  }
  return "";
}

}  // namespace

Dialogue::Dialogue() { std::memset(name, ' ', sizeof name); }

Outcome run_dialogue(const std::uint8_t* data, std::size_t size) {
  prepare_once();
  // Fresh answers on unit 5: the push-back and the end-of-input flag of the
  // previous input go with the re-attachment; s_rsle resets the reader's
  // repeat count and slash flag.
  textio::unit(5).in.attach_text(reinterpret_cast<const char*>(data), size);
  Outcome outcome;
  Dialogue& v = outcome.values;
  try {
    outcome.statement = 1;
    read_integer(&v.seed);
    outcome.statement = 2;
    read_integer(&v.change);
    if (v.change == 1) {
      outcome.statement = 3;
      s_rsle(&kConsoleIn);
      for (double& corner : v.corners) do_lio(&TYDREAL, &kOne, &corner, sizeof corner);
      e_rsle();
    }
    outcome.statement = 4;
    s_rsle(&kConsoleIn);
    outcome.name_result = do_lio(&TYCHAR, &kOne, v.name, Dialogue::kNameLength);
    e_rsle();
  } catch (const FatalEnd& end) {
    outcome.fatal = true;
    outcome.code = end.code;
    outcome.context = end.context;
  }
  return outcome;
}

std::string first_line(const Outcome& outcome) {
  std::string line = outcome.context + ": ";
  if (outcome.code == -1) return line + "end of file";
  if (const char* message = textio::system_message(outcome.code)) return line + message;
  if (outcome.code >= 0 && outcome.code <= 99) return line + std::strerror(outcome.code);
  return line + "illegal error number " + std::to_string(outcome.code);
}

bool is_reader_first_line(const std::string& line) {
  static const char* const kLines[] = {
      "list in: end of file",
      "read start: end of file",
      "invalid number: incomprehensible list input",
      "bad repetition count: incomprehensible list input",
      "exponent field: incomprehensible list input",
      "invalid integer: read unexpected character",
      "no space: out of free space",
      "realloc failure: out of free space",
  };
  for (const char* known : kLines) {
    if (line == known) return true;
  }
  return false;
}

std::string check_outcome(const std::uint8_t* data, std::size_t size, const Outcome& outcome) {
  if (outcome.fatal) {
    std::string line = first_line(outcome);
    if (!is_reader_first_line(line)) return describe("not a failure of the reader", outcome);
    // Only a statement after the first can find the end of input already met.
    if (line == "read start: end of file" && outcome.statement == 1) {
      return describe("the first statement found the end of input already met", outcome);
    }
  }
  if (outcome.name_result != 0 && outcome.name_result != -1) {
    return describe("do_lio returned " + std::to_string(outcome.name_result), outcome);
  }
  const char* name = outcome.values.name;
  if (outcome.name_result == -1 && std::string(name, Dialogue::kNameLength) != std::string(50, ' ')) {
    return describe("an unclosed quote changed the name", outcome);
  }
  // Every character of the name comes from the input (a backslash and line
  // end inside quotes give a line feed), or is the padding blank.
  for (int i = 0; i < Dialogue::kNameLength; ++i) {
    char c = name[i];
    if (c == ' ' || c == '\n') continue;
    if (size == 0 || std::memchr(data, c, size) == nullptr) return describe("the name holds a character not in the input", outcome);
  }
  if (std::string plain = check_plain_lines(data, size, outcome); !plain.empty()) return plain;
  // Nothing of one input may leak into the next: the same bytes again give
  // the same outcome.
  if (!same_outcome(outcome, run_dialogue(data, size))) {
    return describe("the same answers gave another outcome the second time", outcome);
  }
  return "";
}

}  // namespace answers
