// test_lread.cc: the list-directed reader, statement by statement, from
// in-memory answers: what each variable receives, what is left unread, and
// the exact first line of every failure report.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <string>

#include "lread.h"
#include "stream.h"

// Allocation failures on demand: while `g_fail_from` is nonzero, every
// request of at least that many bytes fails. Only death-test children set it.
static std::size_t g_fail_from = 0;

void* operator new(std::size_t size) {
  if (g_fail_from != 0 && size >= g_fail_from) throw std::bad_alloc();
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}
// Kept out of line so that the compiler does not pair the free() with the
// inlined new-expressions of other code and warn about a mismatch.
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using textio::InStream;
using textio::ListReader;

constexpr int kNameLength = 50;

// One console: the answers, the stream over them and the reader.
class Console {
 public:
  explicit Console(std::string answers) : answers_(std::move(answers)) {
    in_.attach_text(answers_.data(), answers_.size());
  }

  void start() { reader_.start(in_); }
  int item(integer type, void* addr, ftnlen length, integer count = 1) {
    return reader_.item(type, count, addr, length);
  }
  void finish() { reader_.finish(); }

  void read_ints(integer* vars, int n) {
    start();
    for (int i = 0; i < n; ++i) item(TYINT, &vars[i], 4);
    finish();
  }
  void read_doubles(double* vars, int n) {
    start();
    for (int i = 0; i < n; ++i) item(TYDREAL, &vars[i], 8);
    finish();
  }
  int read_name(char* name) {
    start();
    int result = item(TYCHAR, name, kNameLength);
    finish();
    return result;
  }

  // Everything not read yet.
  std::string rest() {
    std::string left;
    for (int c = in_.get(); c >= 0; c = in_.get()) left += static_cast<char>(c);
    return left;
  }

  InStream& in() { return in_; }

 private:
  std::string answers_;
  InStream in_;
  ListReader reader_;
};

double read_double(const std::string& answers) {
  Console console(answers);
  double value = -1.0;
  console.read_doubles(&value, 1);
  return value;
}

std::string padded(const std::string& text) {
  return (text + std::string(kNameLength, ' ')).substr(0, kNameLength);
}

// --- One integer -----------------------------------------------------------

constexpr integer kOld = 31415;  // the value before the read
constexpr integer kMin = std::numeric_limits<integer>::min();

struct IntRow {
  const char* answers;
  integer expected;
  const char* rest;
  const char* why;
};

const IntRow kIntRows[] = {
    {"42\nnext\n", 42, "next\n", ""},
    {"  42 7\nnext\n", 42, "next\n", "extra value discarded"},
    {"\n9\nnext\n", 9, "next\n", "empty line skipped"},
    {" \t\n\t \n  9 \nnext\n", 9, "next\n", "lines of blanks and tabs skipped"},
    {"12abc\nnext\n", 12, "next\n", "letter ends the number"},
    {"+7\nnext\n", 7, "next\n", ""},
    {"-7\nnext\n", -7, "next\n", ""},
    {"007\nnext\n", 7, "next\n", "leading zeros"},
    {"-0\nnext\n", 0, "next\n", ""},
    {",\nnext\n", kOld, "next\n", "null value"},
    {"/\nnext\n", kOld, "next\n", "slash"},
    {"-,\nnext\n", kOld, "next\n", "lone sign ended by a comma: null"},
    {"-/\nnext\n", kOld, "next\n", "lone sign ended by a slash: null"},
    {"3*\nnext\n", kOld, "next\n", "r* then line end: null"},
    {"3*8\nnext\n", 8, "next\n", "leftover repetitions dropped"},
    {"+2*5\nnext\n", 5, "next\n", "+ before the count skipped"},
    {"2147483648*5\nnext\n", 5, "next\n", "count above 2147483647 acts as 2147483647"},
    {"9999999999999999999999999999999999999999*5\nnext\n", 5, "next\n", "40-digit count"},
    {"009999999999999999999999999999999999999999*5\nnext\n", 5, "next\n",
     "leading zeros are not significant digits of a count"},
    {"2*-5\nnext\n", -5, "next\n", "sign of the value after the count"},
    {"5+3\nnext\n", 5000, "next\n", "bare sign is an exponent"},
    {"15-1\nnext\n", 1, "next\n", "1.5 truncated"},
    {"-15-1\nnext\n", -1, "next\n", "-1.5 truncated toward zero"},
    {"1-0\nnext\n", 1, "next\n", ""},
    {"2147483647\nnext\n", 2147483647, "next\n", ""},
    {"-2147483648\nnext\n", kMin, "next\n", ""},
    {"2147483648\nnext\n", kMin, "next\n", "out of range"},
    {"-2147483649\nnext\n", kMin, "next\n", "out of range"},
    {"1+99\nnext\n", kMin, "next\n", "out of range"},
    {"1+00000000099999999\nnext\n", kMin, "next\n", "infinite; exponent's leading zeros"},
    {"21474836475-1\nnext\n", 2147483647, "next\n", "2147483647.5 truncated"},
    {"1234567890123456789012345678901234567890123\nnext\n", kMin, "next\n",
     "43 digits: far out of range"},
    {"5,6\nnext\n", 5, "next\n", ""},
    {"5'\nnext\n", 5, "next\n", "quote ends the number"},
    {"42", 42, "", "input ends right after the value"},
};

TEST(ListReadInteger, GoldenTable) {
  for (const IntRow& row : kIntRows) {
    SCOPED_TRACE(std::string("answers \"") + row.answers + "\" " + row.why);
    Console console(row.answers);
    integer value = kOld;
    console.read_ints(&value, 1);
    EXPECT_EQ(value, row.expected);
    EXPECT_EQ(console.rest(), row.rest);
  }
}

// --- Four doubles ------------------------------------------------------------

struct DoubleRow {
  const char* answers;
  double expected[4];  // kU: unchanged
  const char* rest;
  const char* why;
};

constexpr double kU = -777.25;  // every variable's value before the read
constexpr double kInf = std::numeric_limits<double>::infinity();

const DoubleRow kDoubleRows[] = {
    {"1 2 3 4\nnext\n", {1, 2, 3, 4}, "next\n", ""},
    {"1,2,3,4\nnext\n", {1, 2, 3, 4}, "next\n", ""},
    {"1\n2\n3\n4\nnext\n", {1, 2, 3, 4}, "next\n", "one value per line"},
    {"1\t2 ,3 , 4\nnext\n", {1, 2, 3, 4}, "next\n", "blanks around commas"},
    {"1 2 3 4 5\nnext\n", {1, 2, 3, 4}, "next\n", "fifth value discarded"},
    {"1 2 3 4,5\nnext\n", {1, 2, 3, 4}, "next\n", ""},
    {"5,\n6 7 8\nnext\n", {5, 6, 7, 8}, "next\n", "comma at line end is a separator"},
    {"5\n,6 7 8\nnext\n", {5, kU, 6, 7}, "next\n", "comma opening a line is null"},
    {"5/\nnext\n", {5, kU, kU, kU}, "next\n", ""},
    {"5 /\nnext\n", {5, kU, kU, kU}, "next\n", ""},
    {"/\nnext\n", {kU, kU, kU, kU}, "next\n", ""},
    {"10/ 3\nnext\n", {10, kU, kU, kU}, "next\n", "values after the slash ignored"},
    {"5,,,,\nnext\n", {5, kU, kU, kU}, "next\n", ""},
    {"5,,,\n9\nnext\n", {5, kU, kU, 9}, "next\n", "fourth from the next line"},
    {"10,,,90\nnext\n", {10, kU, kU, 90}, "next\n", ""},
    {"4*2.5\nnext\n", {2.5, 2.5, 2.5, 2.5}, "next\n", ""},
    {"2*1.5 3 4\nnext\n", {1.5, 1.5, 3, 4}, "next\n", ""},
    {"2*,3,4\nnext\n", {kU, kU, 3, 4}, "next\n", "r* ended by a comma"},
    {"2* 3 4\nnext\n", {kU, kU, 3, 4}, "next\n", "r* ended by a blank"},
    {"2*\n3 4\nnext\n", {kU, kU, 3, 4}, "next\n", "r* ended by a line end"},
    {"2*5,6 7\nnext\n", {5, 5, 6, 7}, "next\n", ""},
    {"2*5,,7 8\nnext\n", {5, 5, kU, 7}, "next\n", "comma kept until the last repetition"},
    {"2*,,3\nnext\n", {kU, kU, kU, 3}, "next\n", "the same for r*"},
    {"3*7\n8\nnext\n", {7, 7, 7, 8}, "next\n", ""},
    {"9*7\nnext\n", {7, 7, 7, 7}, "next\n", "leftover repetitions dropped"},
    {"2147483647*7\nnext\n", {7, 7, 7, 7}, "next\n", "largest repeat count"},
    {"99999999999*2.5\nnext\n", {2.5, 2.5, 2.5, 2.5}, "next\n", "larger count acts as the largest"},
    {"4*2.5\r", {2.5, 2.5, 2.5, 2.5}, "", "lone CR at the end ends the value, not the input"},
    {".5 1. 1.5D2 1+2\nnext\n", {0.5, 1, 150, 100}, "next\n", ""},
    {"1.5-2 2.5e+1 -3d-1 +.25E0\nnext\n", {0.015, 25, -0.3, 0.25}, "next\n", ""},
    {"0.000 00 -0.0 000.000e5\nnext\n", {0, 0, 0, 0}, "next\n", "all-zero digits"},
    {"1e-400 -1e400 1e99999999 4.9e-324\nnext\n",
     {0, -kInf, kInf, 4.9e-324}, "next\n", "underflow, overflow, denormal"},
    {"1.2.5 7 8\nnext\n", {1.2, 0.5, 7, 8}, "next\n", "second point starts a value"},
    {"1 2 3 4", {1, 2, 3, 4}, "", "input ends right after the last value"},
};

TEST(ListReadDouble, GoldenTable) {
  for (const DoubleRow& row : kDoubleRows) {
    SCOPED_TRACE(std::string("answers \"") + row.answers + "\" " + row.why);
    Console console(row.answers);
    double values[4] = {kU, kU, kU, kU};
    console.read_doubles(values, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(values[i], row.expected[i]) << "variable " << i + 1;
    EXPECT_EQ(console.rest(), row.rest);
  }
}

TEST(ListReadDouble, AllZeroDigitsGivePositiveZero) {
  EXPECT_FALSE(std::signbit(read_double("-0\n")));
  EXPECT_FALSE(std::signbit(read_double("-0.000e7\n")));
  EXPECT_TRUE(std::signbit(read_double("-1e-400\n")));  // a real underflow keeps its sign
}

TEST(ListReadDouble, ThreeDoublesWithNullOnContinuationLine) {
  Console console("5\n,6 7\nnext\n");
  double values[3] = {kU, kU, kU};
  console.read_doubles(values, 3);
  EXPECT_EQ(values[0], 5);
  EXPECT_EQ(values[1], kU);
  EXPECT_EQ(values[2], 6);
  EXPECT_EQ(console.rest(), "next\n");
}

TEST(ListReadDouble, OneCallForFourElementsReadsLikeFourCalls) {
  Console console("2*1.5 3/ 9\nnext\n");
  double values[4] = {kU, kU, kU, kU};
  console.start();
  EXPECT_EQ(console.item(TYDREAL, values, 8, 4), 0);
  console.finish();
  EXPECT_EQ(values[0], 1.5);
  EXPECT_EQ(values[1], 1.5);
  EXPECT_EQ(values[2], 3);
  EXPECT_EQ(values[3], kU);
  EXPECT_EQ(console.rest(), "next\n");
}

// Only the first 40 significant digits count. Both inputs below lie just
// above a point halfway between two doubles, and their 41st digit is what
// lifts them above it: cut to 40 digits they are exactly halfway and round
// to the even neighbour, not up as strtod of the whole text would.
TEST(ListReadDouble, FortySignificantDigits) {
  // 2^53 + 1, then 24 zeros after the point (40 digits), then a 1.
  EXPECT_EQ(read_double("9007199254740993.0000000000000000000000001\n"), 0x1p53);
  EXPECT_EQ(std::strtod("9007199254740993.0000000000000000000000001", nullptr),
            0x1.0000000000001p53);
  // (2m + 1) * 2^80 with m even has 41 digits ending in 0; the last digit
  // becomes 1. Only scaled by ten, it stays halfway.
  const char* integer_digits = "10889035741470046546863642427995853946881";
  EXPECT_EQ(read_double(std::string(integer_digits) + "\n"), 0x1.0000000000006p+133);
  EXPECT_EQ(std::strtod(integer_digits, nullptr), 0x1.0000000000007p+133);
  // Leading zeros of the fraction take no place among the 40.
  std::string tiny = "0." + std::string(300, '0') + "12345678901234567890123456789012345678901";
  EXPECT_EQ(read_double(tiny + "\n"), std::strtod(tiny.c_str(), nullptr));
  // Integer digits beyond 40 still scale by ten.
  EXPECT_EQ(read_double("1" + std::string(300, '0') + "\n"), 1e300);
  EXPECT_EQ(read_double("1" + std::string(400, '0') + "\n"), kInf);
  EXPECT_EQ(read_double("1" + std::string(400, '0') + "-100\n"), 1e300);
}

// The text as the 40-digit rule sees it: significant digits past the 40th
// become zeros before the point and disappear after it.
std::string cut_to_forty(const std::string& text) {
  std::string out;
  int significant = 0;
  bool point = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == 'e') return out + text.substr(i);
    if (c == '.') point = true;
    if (c >= '0' && c <= '9' && (significant > 0 || c != '0') && ++significant > 40) {
      if (point) continue;
      c = '0';
    }
    out += c;
  }
  return out;
}

// Random decimal texts against strtod: the value must be the correctly
// rounded double of the text cut to 40 significant digits. (Long runs of
// zeros make exact halfway cases common enough that the cut matters here.)
TEST(ListReadDouble, RandomTextsMatchStrtod) {
  std::mt19937 random(20240611u);
  auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto digits = [&](int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += static_cast<char>('0' + below(10));
    return out;
  };
  const char* const letters = "eEdD";
  for (int round = 0; round < 20000; ++round) {
    std::string sign = below(3) == 0 ? "-" : below(2) == 0 ? "+" : "";
    // Mostly up to 17 digits; now and then up to 60, and leading zeros.
    auto zeros = [&](int most) { return std::string(below(4) == 0 ? below(most) : 0, '0'); };
    auto run = [&]() { return digits(below(4) == 0 ? below(60) : below(18)); };
    std::string whole = zeros(5) + run();
    std::string fraction;
    bool point = below(2) == 0;
    if (point) fraction = zeros(30) + run();
    if (whole.empty() && fraction.empty()) whole = digits(1 + below(5));
    std::string mantissa = sign + whole + (point ? "." : "") + fraction;
    std::string ours = mantissa, reference = mantissa;
    if (below(2) == 0) {
      int size = below(4);
      int exponent = size == 0   ? below(10)
                     : size == 1 ? below(30)
                     : size == 2 ? below(330)
                                 : below(100000);
      std::string exponent_sign = below(2) == 0 ? "-" : below(2) == 0 ? "+" : "";
      std::string exponent_digits = std::to_string(exponent);
      if (below(3) == 0 && !exponent_sign.empty()) {
        ours += exponent_sign + exponent_digits;  // the bare-sign form
      } else {
        ours += letters[below(4)] + exponent_sign + exponent_digits;
      }
      reference += "e" + exponent_sign + exponent_digits;
    }
    double expected = std::strtod(cut_to_forty(reference).c_str(), nullptr);
    if (expected == 0.0) expected = 0.0;  // zero is stored without a sign
    double got = read_double(ours + "\n");
    if (got == 0.0) got = 0.0;
    ASSERT_EQ(got, expected) << "text " << ours;
  }
}

// --- One text of 50 ------------------------------------------------------------

struct TextRow {
  const char* answers;
  const char* expected;  // nullptr: unchanged
  const char* rest;
  const char* why;
};

const char kSixty[] = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWX";

const TextRow kTextRows[] = {
    {"out.csv\nnext\n", "out.csv", "next\n", ""},
    {"my results.csv\nnext\n", "my", "next\n", "blank ends it"},
    {"'my results.csv'\nnext\n", "my results.csv", "next\n", ""},
    {"'it''s'\nnext\n", "it's", "next\n", "doubled quote"},
    {"it's\nnext\n", "it's", "next\n", "quote inside an undelimited text"},
    {"out/a.csv\nnext\n", "out", "next\n", "slash ends it"},
    {"a,b\nnext\n", "a", "next\n", "comma ends it"},
    {"a\tb\nnext\n", "a", "next\n", "tab ends it"},
    {"2020data.csv\nnext\n", "2020data.csv", "next\n", "digits continue into a text"},
    {"2020\nnext\n", "2020", "next\n", "digits alone"},
    {"2020 x\nnext\n", "2020", "next\n", ""},
    {"12'ab\nnext\n", "12'ab", "next\n", ""},
    {"3*out.csv\nnext\n", "out.csv", "next\n", "repeat count"},
    {"2147483648*out.csv\nnext\n", "out.csv", "next\n", "count before a text never fatal"},
    {"111111111111111111111111111111111111111111*\tx\nnext\n", nullptr, "next\n",
     "42-digit count, then a tab: null"},
    {"out.csv\r\r\nnext\n", "out.csv\r", "next\n", "lone CR is ordinary, CR LF a line end"},
    {"'out.csv\r\r\n'\nnext\n", "out.csv\r", "next\n", "the same inside quotes"},
    {"2*out.csv\r\r\nnext\n", "out.csv\r", "next\n", "the same after a count"},
    {"'ab\\\r'\nnext\n", "ab\\\r", "next\n", "backslash, lone CR, closing quote"},
    {"3*12*x\nnext\n", "12*x", "next\n", "no second count after the star"},
    {"3*'q x'\nnext\n", "q x", "next\n", ""},
    {"0*x\nnext\n", "0*x", "next\n", "zero count: ordinary characters"},
    {"00*\nnext\n", "00*", "next\n", ""},
    {"*x\nnext\n", "*x", "next\n", ""},
    {"2* x\nnext\n", nullptr, "next\n", "r* then blank: null"},
    {"2*,x\nnext\n", nullptr, "next\n", "r* then comma: null"},
    {"2*/\nnext\n", nullptr, "next\n", ""},
    {"2*\nabc def\nnext\n", "\nabc", "next\n", "r* then line end starts the text"},
    {"''\nnext\n", "", "next\n", "50 blanks"},
    {"\"\"\nnext\n", "", "next\n", ""},
    {"\"a'b\"\nnext\n", "a'b", "next\n", "the other quote is ordinary"},
    {"'a\"b, c/d'\nnext\n", "a\"b, c/d", "next\n", ""},
    {"'a''''b'\nnext\n", "a''b", "next\n", ""},
    {"'x'',y'\nnext\n", "x',y", "next\n", ""},
    {"'abc'def\nnext\n", "abc", "next\n", "after the closing quote: discarded"},
    {"'ab\ncd'\nnext\n", "abcd", "next\n", "line end inside quotes dropped"},
    {"'ab\\\ncd'\nnext\n", "ab\ncd", "next\n", "backslash and line end: a line feed"},
    {"'ab\\cd'\nnext\n", "ab\\cd", "next\n", "other backslashes kept"},
    {"'\\\\\n'\nnext\n", "\\\n", "next\n", "only the last backslash before the line end"},
    {"\n  \n\t name\nnext\n", "name", "next\n", "empty lines skipped"},
    {"\xe9t\xe9.csv\nnext\n", "\xe9t\xe9.csv", "next\n", "bytes above 127"},
    {",\nnext\n", nullptr, "next\n", ""},
    {"/\nnext\n", nullptr, "next\n", ""},
    {"out.csv", "out.csv", "", "input ends right after the value"},
    {"2*", nullptr, "", "r* then end of input: null"},
};

TEST(ListReadText, GoldenTable) {
  const std::string before = padded("UNCHANGED");
  for (const TextRow& row : kTextRows) {
    SCOPED_TRACE(std::string("answers \"") + row.answers + "\" " + row.why);
    Console console(row.answers);
    char name[kNameLength];
    std::memcpy(name, before.data(), kNameLength);
    EXPECT_EQ(console.read_name(name), 0);
    EXPECT_EQ(std::string(name, kNameLength), row.expected ? padded(row.expected) : before);
    EXPECT_EQ(console.rest(), row.rest);
  }
}

TEST(ListReadText, LongValuesKeepTheirFirstFifty) {
  for (std::string value : {std::string(kSixty), "'" + std::string(kSixty) + "'",
                            std::string(100000, 'z') + "tail"}) {
    Console console(value + " more\nnext\n");
    char name[kNameLength];
    console.read_name(name);
    std::string expected = value.substr(value[0] == '\'' ? 1 : 0, kNameLength);
    EXPECT_EQ(std::string(name, kNameLength), expected);
    EXPECT_EQ(console.rest(), "next\n");
  }
}

TEST(ListReadText, UnclosedQuoteLeavesTheNameAndGoesOn) {
  Console console("'out.csv\nmore");
  char name[kNameLength];
  std::memset(name, 'x', kNameLength);
  EXPECT_EQ(console.read_name(name), -1);
  EXPECT_EQ(std::string(name, kNameLength), std::string(kNameLength, 'x'));
  EXPECT_TRUE(console.in().at_end());
}

// --- A whole dialogue, LF and CR LF ------------------------------------------

struct Dialogue {
  integer seed = 0, answer = 0;
  double corners[4] = {4, 35, 80, 163.84};
  char name[kNameLength] = {};
  std::string rest;
};

Dialogue run_dialogue(const std::string& answers) {
  Console console(answers);
  Dialogue result;
  console.read_ints(&result.seed, 1);
  console.read_ints(&result.answer, 1);
  console.read_doubles(result.corners, 4);
  console.read_name(result.name);
  result.rest = console.rest();
  return result;
}

std::string with_crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

TEST(ListReadDialogue, CrLfReadsLikeLf) {
  const std::string answers[] = {
      "7\n1\n10 20,30\n40\n'my out.csv'\n",
      "\n5+3 extra\n\n1\n,,\n2*\n'a\nb\\\nc'\n",
      "-1\n1 x\n2*1.5\n4 5\nout.csv\nleft over\n",
  };
  for (const std::string& lf : answers) {
    SCOPED_TRACE(lf);
    Dialogue plain = run_dialogue(lf);
    Dialogue crlf = run_dialogue(with_crlf(lf));
    EXPECT_EQ(plain.seed, crlf.seed);
    EXPECT_EQ(plain.answer, crlf.answer);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(plain.corners[i], crlf.corners[i]);
    EXPECT_EQ(std::string(plain.name, kNameLength), std::string(crlf.name, kNameLength));
    EXPECT_EQ(plain.rest, crlf.rest);
  }
  Dialogue first = run_dialogue(with_crlf(answers[0]));
  EXPECT_EQ(first.seed, 7);
  EXPECT_EQ(first.answer, 1);
  EXPECT_EQ(first.corners[1], 20);
  EXPECT_EQ(first.corners[3], 40);
  EXPECT_EQ(std::string(first.name, kNameLength), padded("my out.csv"));
  Dialogue second = run_dialogue(with_crlf(answers[1]));
  EXPECT_EQ(second.seed, 5000);
  EXPECT_EQ(second.corners[0], 4);  // null values keep the defaults
  EXPECT_EQ(second.corners[3], 163.84);
  EXPECT_EQ(std::string(second.name, kNameLength), padded("ab\nc"));
  Dialogue third = run_dialogue(with_crlf(answers[2]));
  EXPECT_EQ(third.corners[2], 4);
  EXPECT_EQ(std::string(third.name, kNameLength), padded("out.csv"));
  EXPECT_EQ(third.rest, "left over\n");
}

// --- Failures -------------------------------------------------------------------

enum class Statement { kOneInt, kTwoDoubles, kFourDoubles, kOneText };

void run_statement(Statement statement, const std::string& answers) {
  Console console(answers);
  integer seed = 0;
  double corners[4] = {};
  char name[kNameLength];
  switch (statement) {
    case Statement::kOneInt: console.read_ints(&seed, 1); break;
    case Statement::kTwoDoubles: console.read_doubles(corners, 2); break;
    case Statement::kFourDoubles: console.read_doubles(corners, 4); break;
    case Statement::kOneText: console.read_name(name); break;
  }
}

struct FailureRow {
  Statement statement;
  const char* answers;
  const char* first_line;
  const char* why;
};

const char kInvalidNumber[] = "invalid number: incomprehensible list input";
const char kInvalidInteger[] = "invalid integer: read unexpected character";
const char kExponent[] = "exponent field: incomprehensible list input";
const char kRepeat[] = "bad repetition count: incomprehensible list input";
const char kListEnd[] = "list in: end of file";

const FailureRow kFailureRows[] = {
    {Statement::kOneInt, "abc\n", kInvalidNumber, ""},
    {Statement::kOneInt, "-\n", kInvalidNumber, "lone sign before a line end"},
    {Statement::kOneInt, "- 5\n", kInvalidNumber, ""},
    {Statement::kOneInt, "2*", kInvalidNumber, "end of input is no separator for r*"},
    {Statement::kOneInt, "2**\n", kInvalidNumber, "only the first star is a count"},
    {Statement::kOneInt, "e5\n", kInvalidNumber, "letter without a digit before it"},
    {Statement::kOneInt, "1.0\n", kInvalidInteger, ""},
    {Statement::kOneInt, "1.\n", kInvalidInteger, ""},
    {Statement::kOneInt, ".\n", kInvalidInteger, "point even without digits"},
    {Statement::kOneInt, "1e3\n", kInvalidInteger, ""},
    {Statement::kOneInt, "1D3\n", kInvalidInteger, ""},
    {Statement::kOneInt, "5+\n", kExponent, ""},
    {Statement::kOneInt, "5-x\n", kExponent, ""},
    {Statement::kOneInt, "1+100000000\n", kExponent, "magnitude beyond 99999999"},
    {Statement::kOneInt, "0*5\n", kRepeat, ""},
    {Statement::kOneInt, "*5\n", kRepeat, "count missing"},
    {Statement::kOneInt, "+*5\n", kRepeat, "count missing after +"},
    {Statement::kOneInt, "-2*5\n", kRepeat, "negative count"},
    {Statement::kOneInt, "11111111111111111111111111111111111111111*5\n", kRepeat, "41 digits"},
    {Statement::kOneInt, "", kListEnd, "end of input at the first value"},
    {Statement::kOneInt, "\n \n\t", kListEnd, "only blank lines before the end"},
    {Statement::kFourDoubles, "1 2 3x 4\n", kInvalidNumber, "at the fourth variable"},
    {Statement::kFourDoubles, "'5'\n", kInvalidNumber, ""},
    {Statement::kFourDoubles, ".e5\n", kInvalidNumber, ""},
    {Statement::kFourDoubles, "0*5 1 2 3\n", kRepeat, ""},
    {Statement::kFourDoubles, "2*3*4\n", kRepeat, "second star starts a value"},
    {Statement::kFourDoubles, "5e\n", kExponent, ""},
    {Statement::kFourDoubles, "5e+\n", kExponent, ""},
    {Statement::kFourDoubles, "5+\n", kExponent, ""},
    {Statement::kFourDoubles, "7.e1 1.5d 2\n", kExponent, "letter, then a blank"},
    {Statement::kFourDoubles, "1e100000000\n", kExponent, ""},
    {Statement::kFourDoubles, "1e-999999999999\n", kExponent, ""},
    {Statement::kFourDoubles, "1 2\n", kListEnd, "end of input at the third value"},
    {Statement::kFourDoubles, "1 2 3", kListEnd, "end right after a value, one more wanted"},
    {Statement::kFourDoubles, "1,2,3\r", kInvalidNumber, "a lone CR begins the fourth value"},
    {Statement::kTwoDoubles, "2*1", kListEnd, "a repetition left, but end of input met"},
    {Statement::kOneText, "\n\n", kListEnd, ""},
};

// Each death test's child is a freshly started copy of the test program
// ("threadsafe"), so that it begins with the units as a run begins them.
class ListReadDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ListReadDeathTest, FailureTable) {
  for (const FailureRow& row : kFailureRows) {
    SCOPED_TRACE(std::string("answers \"") + row.answers + "\" " + row.why);
    EXPECT_DEATH(run_statement(row.statement, row.answers),
                 std::string("^") + row.first_line + "\n");
  }
}

TEST_F(ListReadDeathTest, NextStatementAfterEndOfInput) {
  // Input ended right after the value: accepted, the next start fails.
  EXPECT_DEATH(
      {
        Console console("42");
        integer seed = 0;
        console.read_ints(&seed, 1);
        if (seed == 42) console.start();
      },
      "^read start: end of file\n");
  // Unclosed quote: the statement goes on, the next statement fails.
  EXPECT_DEATH(
      {
        Console console("'out.csv\n");
        char name[kNameLength];
        if (console.read_name(name) == -1) console.start();
      },
      "^read start: end of file\n");
  // Unclosed quote, then a later variable of the same statement.
  EXPECT_DEATH(
      {
        Console console("'out.csv\n");
        char names[2][kNameLength];
        console.start();
        if (console.item(TYCHAR, names[0], kNameLength) == -1)
          console.item(TYCHAR, names[1], kNameLength);
      },
      "^list in: end of file\n");
}

TEST_F(ListReadDeathTest, ReadErrorReportsTheSystemText) {
  std::string expected = std::string("^list in: ") + std::strerror(EISDIR) + "\n";
  EXPECT_DEATH(
      {
        InStream in;
        in.attach_fd(::open("/", O_RDONLY));
        ListReader reader;
        integer seed = 0;
        reader.start(in);
        reader.item(TYINT, 1, &seed, 4);
      },
      expected);
}

TEST_F(ListReadDeathTest, TextMemoryFailures) {
  EXPECT_DEATH(
      {
        Console console("out.csv\n");
        char name[kNameLength];
        g_fail_from = 1;  // the first buffer cannot be had
        console.read_name(name);
      },
      "^no space: out of free space\n");
  EXPECT_DEATH(
      {
        Console console(std::string(300, 'n') + "\n");
        char name[kNameLength];
        g_fail_from = 100;  // the first buffer is granted, its growth is not
        console.read_name(name);
      },
      "^realloc failure: out of free space\n");
}

TEST_F(ListReadDeathTest, UnknownTypeCode) {
  EXPECT_DEATH(
      {
        Console console("1\n");
        float value = 0;
        console.start();
        console.item(4, &value, 4);
      },
      "^list in: bad variable type\n");
}

}  // namespace
