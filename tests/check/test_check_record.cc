// Reading record files: the layout seedacc writes, other layouts that are
// accepted, and every fault with its line number.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "record.h"

namespace {

groundmotion::Record parse(const std::string& text) {
  std::istringstream in(text);
  return groundmotion::parse_record(in, "rec.csv");
}

// The error message for `text`, or "" when it parses.
std::string error_of(const std::string& text, const groundmotion::ReadOptions& options = {}) {
  try {
    std::istringstream in(text);
    groundmotion::parse_record(in, "rec.csv", options);
  } catch (const groundmotion::InputError& error) {
    return error.what();
  }
  return "";
}

// `count` records "t,1.0" at times i * step, printed with `decimals`; the
// record at `skip` (if any) is left out.
std::string times(int count, double step, int decimals, int skip = -1) {
  std::string text = " time(sec),seed-Acc(gal)\n";
  char line[64];
  for (int i = 0; i < count; ++i) {
    if (i == skip) continue;
    std::snprintf(line, sizeof line, "%8.*f,  0.1000E+01\n", decimals, i * step);
    text += line;
  }
  return text;
}

// Times 0 to 15 s at 0.01 s written without trailing zeros ("0", "0.01",
// "0.1", "1", "15"), as %g and spreadsheets write them; `skip` left out.
std::string trimmed_times(int skip) {
  std::string text;
  char time[32];
  for (int i = 0; i <= 1500; ++i) {
    if (i == skip) continue;
    std::snprintf(time, sizeof time, "%.2f", i * 0.01);
    std::string shown = time;
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    text += shown + ",1\n";
  }
  return text;
}

TEST(RecordLayout, ReadsTheLayoutSeedaccWrites) {
  const groundmotion::Record record = parse(
      " time(sec),seed-Acc(gal)\n"
      "    0.00,  0.0000E+00\n"
      "    0.01, -0.7407E-04\n"
      "    0.02,  0.1234E+03\n");
  EXPECT_TRUE(record.has_header);
  ASSERT_EQ(record.acc.size(), 3u);
  EXPECT_EQ(record.acc[1], -0.7407e-4);
  EXPECT_EQ(record.acc[2], 123.4);
  EXPECT_DOUBLE_EQ(record.dt, 0.01);
  EXPECT_EQ(record.start_time, 0.0);
  EXPECT_DOUBLE_EQ(record.time_resolution, 0.01);
  EXPECT_DOUBLE_EQ(record.end_time(), 0.02);
}

TEST(RecordLayout, AcceptsNoHeaderCarriageReturnsAndBlankLines) {
  const groundmotion::Record record = parse("\r\n1.5,2\r\n  \r\n1.75 , -3e0\r\n\n");
  EXPECT_FALSE(record.has_header);
  ASSERT_EQ(record.acc.size(), 2u);
  EXPECT_EQ(record.start_time, 1.5);
  EXPECT_EQ(record.dt, 0.25);
  EXPECT_EQ(record.acc[1], -3.0);
}

// A byte-order mark is not a header: no sample is lost, and a real header
// after it is still one.
TEST(RecordLayout, ByteOrderMarkIsSkipped) {
  const groundmotion::Record bare = parse("\xEF\xBB\xBF" "0.00,1\n0.01,2\n0.02,3\n");
  EXPECT_FALSE(bare.has_header);
  EXPECT_EQ(bare.acc.size(), 3u);
  const groundmotion::Record headed = parse("\xEF\xBB\xBF" "t,a\n0.00,1\n0.01,2\n");
  EXPECT_TRUE(headed.has_header);
  EXPECT_EQ(headed.acc.size(), 2u);
  EXPECT_EQ(parse(trimmed_times(-1)).acc.size(), 1501u);
}

TEST(RecordLayout, OtherStepsAndPrecisions) {
  EXPECT_EQ(parse(times(500, 0.005, 3)).acc.size(), 500u);
  EXPECT_DOUBLE_EQ(parse(times(500, 0.02, 2)).dt, 0.02);
  EXPECT_DOUBLE_EQ(parse(times(16384, 0.01, 2)).dt, 0.01);
}

TEST(RecordNumbers, ExponentFormsAndResolution) {
  double value = 0.0;
  double unit = 0.0;
  ASSERT_TRUE(groundmotion::parse_number(" 0.1000+101", value, unit));  // E12.4, |k| >= 100
  EXPECT_EQ(value, 1e100);
  ASSERT_TRUE(groundmotion::parse_number("-0.5000-120", value, unit));
  EXPECT_EQ(value, -0.5e-120);
  ASSERT_TRUE(groundmotion::parse_number("1.5D+02", value, unit));
  EXPECT_EQ(value, 150.0);
  ASSERT_TRUE(groundmotion::parse_number("  163.83 ", value, unit));
  EXPECT_DOUBLE_EQ(unit, 0.01);
  ASSERT_TRUE(groundmotion::parse_number("-0.7407E-04", value, unit));
  EXPECT_DOUBLE_EQ(unit, 1e-8);
  ASSERT_TRUE(groundmotion::parse_number("+.5", value, unit));
  EXPECT_EQ(value, 0.5);
  for (const char* bad : {"", " ", ".", "1e", "1.0.0", "********", "inf", "nan",
                          "0x10", "1,0", "1 2", "--1"}) {
    EXPECT_FALSE(groundmotion::parse_number(bad, value, unit)) << bad;
  }
  // Beyond a double: refused, never read as 0 or infinity; below one: 0.
  for (const std::string& huge : {std::string("1e999"), "1" + std::string(399, '0'),
                                  "-" + std::string(400, '9') + ".5", std::string("1e99999999999")}) {
    EXPECT_THROW(groundmotion::parse_number(huge, value, unit), groundmotion::NumberOutOfRange) << huge;
  }
  ASSERT_TRUE(groundmotion::parse_number(std::string(398, '0') + "15", value, unit));
  EXPECT_EQ(value, 15.0);  // 400 digits, the leading ones zeros
  ASSERT_TRUE(groundmotion::parse_number("0." + std::string(400, '0') + "1", value, unit));
  EXPECT_EQ(value, 0.0);
}

struct Fault {
  const char* name;
  std::string text;
  const char* expected;  // beginning of the message, line number included
  std::size_t max_samples = groundmotion::kDefaultMaxSamples;
};

// Named in test listings by its case, not by its bytes.
void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class RecordFaults : public testing::TestWithParam<Fault> {};

TEST_P(RecordFaults, NamesFileAndLine) {
  groundmotion::ReadOptions options;
  options.max_samples = GetParam().max_samples;
  const std::string message = error_of(GetParam().text, options);
  EXPECT_EQ(message.rfind(GetParam().expected, 0), 0u) << message;
}

const std::string kHeader = " time(sec),seed-Acc(gal)\n";

INSTANTIATE_TEST_SUITE_P(
    All, RecordFaults,
    testing::Values(
        Fault{"Empty", "", "rec.csv:1: the file is empty"},
        Fault{"HeaderOnly", kHeader, "rec.csv:2: no records"},
        Fault{"OneRecord", kHeader + "0.00,1\n", "rec.csv:3: only 1 record"},
        Fault{"NotANumber", kHeader + "0.00,1\n0.01,abc\n", "rec.csv:3: expected two numbers"},
        Fault{"ThreeBlankFields", kHeader + "0.00 1 2\n0.01 2 3\n", "rec.csv:2: expected two numbers"},
        Fault{"ThirdField", kHeader + "0.00,1\n0.01,2,3\n", "rec.csv:3: expected two numbers"},
        Fault{"Asterisks", kHeader + "0.00,1\n********,2\n", "rec.csv:3: expected two numbers"},
        Fault{"Infinity", kHeader + "0.00,inf\n0.01,1\n", "rec.csv:2: expected two numbers"},
        Fault{"SecondHeader", kHeader + kHeader + "0.00,1\n", "rec.csv:2: expected two numbers"},
        Fault{"Decreasing", kHeader + "0.02,1\n0.01,1\n0.00,1\n", "rec.csv:3: times do not increase"},
        Fault{"Repeated", kHeader + "0.00,1\n0.01,1\n0.01,1\n0.02,1\n0.03,1\n",
              "rec.csv:4: time 0.01 s breaks the equal spacing"},
        Fault{"GapInMiddle", times(1000, 0.01, 2, 500), "rec.csv:502: time 5.01 s breaks"},
        Fault{"GapNearEnd", times(1000, 0.01, 2, 998), "rec.csv:1000: time 9.99 s breaks"},
        Fault{"GapNearStart", times(1000, 0.01, 2, 1), "rec.csv:3: time 0.02 s breaks"},
        Fault{"UnevenSubsample", times(400, 0.005, 2), "rec.csv:"},
        // Each time's tolerance from its own digits, not from the coarsest
        // ("15", +-0.5 s): the step 6.99 -> 7.01 is a gap.
        Fault{"TrimmedTimesGap", trimmed_times(700), "rec.csv:701: time 7.01 s breaks"},
        // 0.98 -> 1 hides in the step of "1" (+-0.5 s); 1.01 is then off.
        Fault{"TrimmedTimesGapBeforeWhole", trimmed_times(99), "rec.csv:101: time 1.01 s breaks"},
        // The limits and the values beyond reason, each naming its way out.
        Fault{"LineOfAMegabyte", kHeader + "0.00,1\n" + std::string(groundmotion::kMaxLineBytes + 1, '0'),
              "rec.csv:3: a line longer than 1048576 bytes"},
        Fault{"LoneCarriageReturns", " t,a\r0.00,1\r0.01,x\r", "rec.csv:3: expected two numbers"},
        Fault{"Utf16", std::string("\xFF\xFEt\0,\0a\0\n\0", 10), "rec.csv:1: UTF-16 text: save it as UTF-8"},
        Fault{"Utf16BigEndian", std::string("\xFE\xFF\0t", 4), "rec.csv:1: UTF-16 text: save it as UTF-8"},
        Fault{"Utf32", std::string("\xFF\xFE\0\0t\0\0\0", 8), "rec.csv:1: UTF-32 text: save it as UTF-8"},
        Fault{"MoreSamplesThanAllowed", times(5, 0.01, 2), "rec.csv:6: more than 4 samples: give --max-samples", 4},
        Fault{"StepBelowLimit", kHeader + "0,1\n0.00001,1\n0.00002,1\n",
              "rec.csv: the time step 1e-05 s is below 0.0001 s"},
        Fault{"AccelerationBeyondReason", kHeader + "0.00,1\n0.01,-1.5e6\n",
              "rec.csv:3: acceleration -1.5e+06 gal is beyond 1e+06 gal in magnitude: check the "
              "unit of the values (--units)"},
        Fault{"AccelerationInG", "# acceleration (g)\n0.00,0.1\n0.01,1500\n", "rec.csv:3: acceleration 1500 g (1.471e+06 gal)"},
        Fault{"BeyondADouble", kHeader + "0.00,1\n0.01," + std::string(400, '9') + "\n",
              "rec.csv:3: the number \"9999"},
        Fault{"TimeBeyondADouble", kHeader + "1e400,1\n0.01,1\n", "rec.csv:2: the number \"1e400\" lies beyond"}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

TEST(RecordFiles, MissingFileAndDirectory) {
  try {
    groundmotion::read_record_file("/nonexistent/rec.csv");
    ADD_FAILURE() << "no error";
  } catch (const groundmotion::InputError& error) {
    EXPECT_STREQ(error.what(), "/nonexistent/rec.csv: cannot open (No such file or directory)");
  }
  EXPECT_THROW(groundmotion::read_record_file("/"), groundmotion::InputError);
}

}  // namespace
