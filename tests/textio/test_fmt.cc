// Tests of the F and E editors and of the record format reader.
//
// The reference fields are built from snprintf("%#.*f") and snprintf("%#.*E")
// by the field rules, step by step, without any of the editors' code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fmt.h"

namespace {

using textio::fmt::EditItem;
using textio::fmt::Format;
namespace fmt = textio::fmt;

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

// --- The reference: the rules transcribed over snprintf ---------------------

std::string reference_f(double value, int w, int d) {
  const bool negative = value < 0;
  char text[400];  // 309 digits, the point, d <= 60 in these tests
  std::snprintf(text, sizeof text, "%#.*f", d, std::fabs(value));
  const std::string t = text;
  const bool minus = negative && t.find_first_not_of("0.") != std::string::npos;
  const std::size_t n = t.size() + (minus ? 1 : 0);
  const std::string sign = minus ? "-" : "";
  if (n <= static_cast<std::size_t>(w))
    return std::string(w - n, ' ') + sign + t;
  if (n == static_cast<std::size_t>(w) + 1 && t[0] == '0')
    return sign + t.substr(1);
  return std::string(w, '*');
}

std::string reference_e(double value, int w, int d) {
  const bool negative = value < 0;
  char text[400];
  std::snprintf(text, sizeof text, "%#.*E", d - 1, std::fabs(value));
  if (!(text[0] >= '0' && text[0] <= '9')) {  // INF, NAN
    const bool nan = text[0] == 'N' || text[0] == 'n';
    const std::string t = (negative && !nan ? "-" : "") + std::string(text);
    if (t.size() > static_cast<std::size_t>(w)) return std::string(w, '*');
    return std::string(w - t.size(), ' ') + t;
  }
  const int room = w - (d + 5) - (negative ? 1 : 0);
  if (room < 0) return std::string(w, '*');
  std::string digits(d, '0');
  int k = 0;
  if (value != 0) {
    digits = text[0] + std::string(text + 2, d - 1);  // "D.ddd" without "."
    k = std::atoi(std::strchr(text, 'E') + 1) + 1;
  }
  char exponent[12];  // a sign and up to 10 digits
  std::snprintf(exponent, sizeof exponent, "%+.2d", k);
  return std::string(room > 0 ? room - 1 : 0, ' ') + (negative ? "-" : "") +
         (room > 0 ? "0" : "") + "." + digits + (std::abs(k) <= 99 ? "E" : "") +
         exponent;
}

// The editors under test, each returning the field as a string; a guard
// character after the field catches any write beyond w.
using Editor = char* (*)(char*, double, int, int);
std::string run(Editor editor, double value, int w, int d) {
  char buffer[fmt::kMaxWidth + 1];
  std::memset(buffer, '#', sizeof buffer);
  const char* end = editor(buffer, value, w, d);
  EXPECT_EQ(end, buffer + w);
  EXPECT_EQ(buffer[w], '#') << "wrote past the field";
  return std::string(buffer, w);
}

// Checks the shortcut and the general path of F or E against `expected`.
void expect_f(double value, int w, int d, const std::string& expected) {
  EXPECT_EQ(run(fmt::edit_f, value, w, d), expected)
      << "F" << w << "." << d << " of " << value;
  EXPECT_EQ(run(fmt::detail::edit_f_general, value, w, d), expected)
      << "general F of " << value;
}
void expect_e(double value, int w, int d, const std::string& expected) {
  EXPECT_EQ(run(fmt::edit_e, value, w, d), expected)
      << "E" << w << "." << d << " of " << value;
  EXPECT_EQ(run(fmt::detail::edit_e_general, value, w, d), expected)
      << "general E of " << value;
}

struct Row {
  double value;
  int w, d;
  const char* field;
};

TEST(EditF, GoldenFields) {
  const Row rows[] = {
      {0.0, 8, 2, "    0.00"},
      {-0.0, 8, 2, "    0.00"},  // -0 is +0
      {0.01, 8, 2, "    0.01"},
      {163.83, 8, 2, "  163.83"},
      {-5.5, 8, 2, "   -5.50"},
      {-0.004, 8, 2, "    0.00"},    // rounds to zero: no sign
      {12345.67, 8, 2, "12345.67"},  // exactly fills the field
      {-1234.567, 8, 2, "-1234.57"},
      {-12345.6, 8, 2, "********"},
      {123456.7, 8, 2, "********"},
      {9.995, 8, 2, "    9.99"},     // the double lies below the tie
      {9.996, 8, 2, "   10.00"},     // carries into a new digit
      {9999.995, 8, 2, "10000.00"},  // the double lies above the tie
      {99999.995, 8, 2, "99999.99"},
      {99999.996, 8, 2, "********"},
      {0.125, 8, 2, "    0.12"},  // exact tie: to even
      {0.375, 8, 2, "    0.38"},
      {-0.005, 8, 2, "   -0.01"},  // above the tie
      {5e-324, 8, 2, "    0.00"},
      {-1e300, 8, 2, "********"},
      {-0.5, 4, 2, "-.50"},  // one too many: the 0 goes
      {0.5, 3, 2, ".50"},
      {-0.5, 3, 2, "***"},
      {0.0, 1, 0, "."},
      {-0.3, 1, 0, "."},  // "0." without its 0
      {5.0, 1, 0, "*"},
      {2.5, 2, 0, "2."},  // tie to even
      {3.5, 2, 0, "4."},
      {-7.0, 3, 0, "-7."},
      {0.25, 3, 1, "0.2"},
      {-0.25, 3, 1, "-.2"},
      {9.96, 3, 1, "***"},
      {kInf, 8, 2, "     inf"},
      {-kInf, 8, 2, "    -inf"},
      {kNaN, 8, 2, "     nan"},
      {-kNaN, 8, 2, "     nan"},  // no sign
      {-kInf, 3, 2, "***"},
  };
  for (const Row& row : rows) {
    const std::string expected = row.field;
    expect_f(row.value, row.w, row.d, expected);
    EXPECT_EQ(reference_f(row.value, row.w, row.d), expected) << row.value;
  }
}

TEST(EditE, GoldenFields) {
  const Row rows[] = {
      {0.0, 12, 4, "  0.0000E+00"},
      {-0.0, 12, 4, "  0.0000E+00"},
      {1.0, 12, 4, "  0.1000E+01"},
      {0.5, 12, 4, "  0.5000E+00"},
      {123.456, 12, 4, "  0.1235E+03"},
      {-0.000123456, 12, 4, " -0.1235E-03"},
      {9.99996, 12, 4, "  0.1000E+02"},  // carries into the exponent
      {5e-100, 12, 4, "  0.5000E-99"},
      {1e100, 12, 4, "  0.1000+101"},
      {-1e100, 12, 4, " -0.1000+101"},
      {1e-120, 12, 4, "  0.1000-119"},
      {9.9995, 12, 4, "  0.9999E+01"},  // the double lies below the tie
      {99.995, 12, 4, "  0.1000E+03"},  // above: carries
      {0.099995, 12, 4, "  0.1000E+00"},
      {1000.5, 12, 4, "  0.1000E+04"},  // tie to even
      {1001.5, 12, 4, "  0.1002E+04"},
      {9999.5, 12, 4, "  0.1000E+05"},
      {1.7976931348623157e308, 12, 4, "  0.1798+309"},
      {5e-324, 12, 4, "  0.4941-323"},
      {0.125, 10, 2, "  0.12E+00"},
      {0.00125, 10, 2, "  0.13E-02"},  // above the tie
      {1.0, 8, 4, "********"},
      {1.0, 9, 4, ".1000E+01"},  // r = 0: no 0
      {-1.0, 9, 4, "*********"},
      {-1.0, 10, 4, "-.1000E+01"},
      {1.0, 10, 4, "0.1000E+01"},
      {8.0, 6, 1, ".8E+01"},
      {kInf, 12, 4, "         INF"},
      {-kInf, 12, 4, "        -INF"},
      {kNaN, 12, 4, "         NAN"},
      {-kNaN, 12, 4, "         NAN"},  // no sign
      {-kInf, 3, 1, "***"},
      {kInf, 3, 1, "INF"},
  };
  for (const Row& row : rows) {
    const std::string expected = row.field;
    expect_e(row.value, row.w, row.d, expected);
    EXPECT_EQ(reference_e(row.value, row.w, row.d), expected) << row.value;
  }
}

// Compares both paths with the reference for `value` in every listed form.
struct Form {
  bool is_e;
  int w, d;
};
void check_all(double value, const std::vector<Form>& forms) {
  for (const Form& form : forms) {
    const std::string expected = form.is_e ? reference_e(value, form.w, form.d)
                                           : reference_f(value, form.w, form.d);
    const Editor fast = form.is_e ? fmt::edit_e : fmt::edit_f;
    const Editor general =
        form.is_e ? fmt::detail::edit_e_general : fmt::detail::edit_f_general;
    ASSERT_EQ(run(fast, value, form.w, form.d), expected)
        << value << " w " << form.w;
    ASSERT_EQ(run(general, value, form.w, form.d), expected)
        << value << " w " << form.w;
  }
}

const std::vector<Form> kRecordForms = {{false, 8, 2}, {true, 12, 4}};
const std::vector<Form> kOtherForms = {{false, 1, 0},  {false, 4, 2},
                                       {false, 12, 5}, {true, 9, 4},
                                       {true, 10, 1},  {true, 24, 17}};

TEST(EditAgainstReference, RandomBitPatterns) {
  std::mt19937_64 bits(20240601);
  for (int i = 0; i < 400000; ++i) {
    std::uint64_t pattern = bits();
    double value;
    std::memcpy(&value, &pattern, sizeof value);
    if (!std::isfinite(value)) continue;
    // Keep F's reference cheap: huge magnitudes are only asterisks anyway.
    check_all(value, {{true, 12, 4}, {true, 9, 4}, {true, 24, 17}});
    if (std::fabs(value) < 1e30)
      check_all(value, {{false, 8, 2}, {false, 4, 2}});
  }
}

TEST(EditAgainstReference, ProgramRanges) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> time(0.0, 200.0), exponent(-6.0, 3.0);
  for (int i = 0; i < 16384; ++i) check_all((i - 1) * 0.01, kRecordForms);
  for (int i = 0; i < 400000; ++i) {
    const double sign = (random() & 1) ? -1.0 : 1.0;
    check_all(time(random), {{false, 8, 2}});
    check_all(sign * std::pow(10.0, exponent(random)), kRecordForms);
    if (i % 8 == 0)
      check_all(sign * std::pow(10.0, 4 * exponent(random)), kOtherForms);
  }
}

// Decimal ties and their neighbours, at every scale the E12.4 shortcut
// covers, and every binary and decimal power near its exponent estimate.
TEST(EditAgainstReference, TiesAndBoundaries) {
  std::mt19937_64 random(11);
  char text[40];
  for (int power = -330; power <= 310; ++power) {
    std::snprintf(text, sizeof text, "1e%d", power);
    const double ten = std::strtod(text, nullptr);
    for (double x :
         {ten, std::nextafter(ten, 0.0), std::nextafter(ten, kInf),
          9.9995 * ten, 9.99949999 * ten, 5.0005 * ten, -1.2345 * ten}) {
      check_all(x, kRecordForms);
    }
    for (int i = 0; i < 200; ++i) {
      std::snprintf(text, sizeof text, "%d.5e%d",
                    1000 + static_cast<int>(random() % 9000), power - 3);
      check_all(std::strtod(text, nullptr), kRecordForms);  // E12.4 ties
      const int whole = static_cast<int>(random() % 100000);
      std::snprintf(text, sizeof text, "%d.%02d5", whole, i % 100);
      check_all(std::strtod(text, nullptr), {{false, 8, 2}});  // F ties
      std::snprintf(text, sizeof text, "%d.%03d5", whole, i);
      check_all(std::strtod(text, nullptr), {{false, 10, 3}});
    }
  }
  for (int e2 = -1074; e2 <= 1023; ++e2)
    check_all(std::ldexp(1.0, e2), kRecordForms);
  for (int half = 0; half < 20000; ++half)
    check_all(half * 0.5, {{false, 8, 0}, {true, 12, 4}});
}

// --- The format reader
// --------------------------------------------------------

// One statement: every value edited by the next item; records end at each
// reversion and are joined by line feeds.
std::string statement(Format& format, const std::vector<double>& values) {
  std::vector<char> buffer(format.max_record_length() + 1, '#');
  std::string records;
  char* const begin = buffer.data();
  char* end = begin;
  format.rewind();
  for (double value : values) {
    EditItem item;
    Format::Step step;
    while ((step = format.next_item(end, item)) == Format::Step::kEndOfRecord) {
      EXPECT_LE(static_cast<std::size_t>(end - begin),
                format.max_record_length());
      records.append(begin, end).push_back('\n');
      end = begin;
    }
    if (step == Format::Step::kNoItem) return records + "<no item>";
    end = fmt::edit(end, value, item);
  }
  format.finish(end);
  EXPECT_LE(static_cast<std::size_t>(end - begin), format.max_record_length());
  return records.append(begin, end);
}

std::string statement(const char* text, const std::vector<double>& values) {
  Format format;
  if (!format.parse(text)) return "<not a format>";
  return statement(format, values);
}

TEST(Format, RecordExamples) {
  Format held, quoted;
  ASSERT_TRUE(held.parse("(F8.2,\x02,\x02,E12.4)"));
  ASSERT_TRUE(quoted.parse("(F8.2,',',E12.4)"));
  EXPECT_EQ(held.max_record_length(), 21u);
  EXPECT_EQ(statement(held, {0.0, 0.0}), "    0.00,  0.0000E+00");
  EXPECT_EQ(statement(held, {0.01, 123.456}), "    0.01,  0.1235E+03");
  EXPECT_EQ(statement(held, {163.83, -0.000123456}), "  163.83, -0.1235E-03");
  std::mt19937_64 random(3);
  for (int i = 0; i < 1000; ++i) {
    const std::vector<double> pair = {
        i * 0.01, std::ldexp(double(random() >> 11), -40) - 4096};
    EXPECT_EQ(statement(held, pair), statement(quoted, pair));
  }
  EXPECT_EQ(statement(" ( f 8 . 2 , \" , \" , e1 2.4 ) ", {1, 2}),
            "    1.00 ,   0.2000E+01");
}

TEST(Format, LiteralsRepeatsAndReversion) {
  const struct {
    const char* format;
    std::vector<double> values;
    const char* records;
  } rows[] = {
      {"('it''s',F4.1)", {1}, "it's 1.0"},  // doubled delimiter
      {"(\"a\"\"b\",'\"')", {}, "a\"b\""},  // the other quotes inside
      {"(\x02it's\x02,\x02\x02\x02\x02)",
       {},
       "it's\x02"},              // ' stands for itself
      {"('',F2.0)", {3}, "3."},  // an empty literal
      {"(2F4.1,3(',',E9.2))",
       {1, 2, 3, 4, 5},
       " 1.0 2.0, 0.30E+01, 0.40E+01, 0.50E+01"},
      {"(2('<',F2.0,'>'))", {1, 2}, "<1.><2.>"},  // a group repeated
      {"(F4.1)", {1, 2, 3}, " 1.0\n 2.0\n 3.0"},  // reversion: new records
      {"('a',F2.0,'b')", {1, 2}, "a1.b\na2.b"},  // literals before the end stay
      {"('a',F2.0,'b',F2.0,'c')", {1}, "a1.b"},  // finish stops at an item
      {"('only')", {}, "only"},
      {"('only')", {1}, "<no item>"},
      {"()", {}, ""},
      {"((),F2.0)", {1}, "1."},
  };
  for (const auto& row : rows)
    EXPECT_EQ(statement(row.format, row.values), row.records) << row.format;
}

TEST(Format, RejectsWhatIsNotAFormat) {
  // clang-format off
  const char* const texts[] = {
      "", "F8.2", "(F8.2", "(F8.2))", "(F8.2,)", "(,F8.2)", "(F8.2) x",
      "(F8.2 E12.4)",  // items need a comma between them
      "(F8)", "(F8.)", "(F.2)", "(F0.2)", "(F256.2)", "(F8.256)",
      "(E12.0)",       // E needs a digit
      "(0F8.2)", "(32768F8.2)", "(F8.2,-3)",
      "(2'a')",        // no repeat count for a literal
      "(I5)", "(F8.2,X)",  // only F, E, literals and groups
      "('abc)",
      "((((((((((((((((((F1.0))))))))))))))))))",  // 17 nested groups
      "(257(F255.0),'xy')",                        // one pass of 65536 + 1
  };
  // clang-format on
  Format format;
  for (const char* text : texts) {
    EXPECT_FALSE(format.parse(text)) << text;
    EXPECT_FALSE(format.has_data_item()) << text;
  }
  EXPECT_TRUE(
      format.parse("(((((((((((((((((F1.0)))))))))))))))))"));  // 16 groups
  EXPECT_TRUE(format.parse("(32767F2.0)"));
  EXPECT_TRUE(format.parse("(257(F255.0),'x')"));
  EXPECT_EQ(format.max_record_length(), 65536u);
  // A literal longer than any record.
  EXPECT_FALSE(format.parse(("('" + std::string(70000, 'x') + "')").c_str()));
  // A failed parse leaves nothing to walk.
  char record[8];
  char* end = record;
  EditItem item;
  EXPECT_EQ(format.next_item(end, item), Format::Step::kNoItem);
  EXPECT_EQ(end, record);
}

}  // namespace
