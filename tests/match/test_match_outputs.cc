// The matched record's layouts (--output-format, --digits,
// --output-units): each written by hand here for a record of three
// samples, and each read back by the record reader as what it says.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "record.h"
#include "record_file.h"

namespace {

using match::OutputFormat;
using groundmotion::Unit;

match::OutputLayout layout(OutputFormat format, int digits, Unit unit) {
  match::OutputLayout result;
  result.format = format;
  result.digits = digits;
  result.unit = unit;
  result.source = "rec.AT2";
  result.target = "the target";
  return result;
}

TEST(OutputLayouts, WrittenAsLaidOutAndReadBack) {
  // 1.5, -250 and 980.665 gal: in g 0.0015295743..., -0.2549290..., 1.
  const std::vector<double> acc{1.5, -250.0, 980.665};
  groundmotion::Record times;
  times.dt = 0.01;
  times.time_resolution = 0.01;
  const struct {
    match::OutputLayout layout;
    std::string text;
    const char* reason;
  } kRows[] = {
      {layout(OutputFormat::seed, 0, Unit::gal),
       " time(sec),\"matched-Acc(gal) to the target\"\n    0.00,  0.1500E+01\n    0.01, -0.2500E+03\n"
       "    0.02,  0.9807E+03\n",
       "today's layout: F8.2 and E12.4"},
      {layout(OutputFormat::seed, 6, Unit::g),
       " time(sec),\"matched-Acc(g) to the target\"\n    0.00,  0.152957E-02\n    0.01, -0.254929E+00\n"
       "    0.02,  0.100000E+01\n",
       "six digits in g: E14.6, the header naming the unit"},
      {layout(OutputFormat::csv, 0, Unit::gal),
       "time(s),acceleration(gal)\n0.00,1.5\n0.01,-250\n0.02,980.665\n",
       "csv: 8 digits hold every value whole"},
      {layout(OutputFormat::columns, 3, Unit::m_s2),
       "# one value a line, dt = 0.01 s, unit m/s2, 3 values\n0.015\n-2.5\n9.81\n",
       "columns in m/s2 to 3 digits: 9.80665 is 9.81"},
      {layout(OutputFormat::at2, 4, Unit::g),
       "PEER-style record written by seedacc-match\nSOURCE rec.AT2, MATCHED TO the target\n"
       "ACCELERATION TIME HISTORY IN UNITS OF G\nNPTS=       3, DT=    0.0100 SEC\n"
       "  1.530E-03  -2.549E-01   1.000E+00\n",
       "at2 in g, five values a line"},
  };
  for (const auto& row : kRows) {
    const std::string text = match::format_record_file(times, acc, row.layout);
    EXPECT_EQ(text, row.text) << row.reason;
    std::istringstream in(text);  // columns: the step from its header line
    const groundmotion::Record read = groundmotion::parse_record(in, "out");
    EXPECT_EQ(read.unit, row.layout.unit) << row.reason;
    ASSERT_EQ(read.acc.size(), 3u) << row.reason;
    EXPECT_DOUBLE_EQ(read.dt, 0.01) << row.reason;
    const double relative = 0.5 * std::pow(10.0, 1 - match::significant_digits(row.layout));
    for (std::size_t i = 0; i < acc.size(); ++i) {
      EXPECT_NEAR(read.acc[i], acc[i], relative * std::fabs(acc[i])) << row.reason << " " << i;
      EXPECT_EQ(read.acc[i], match::as_written(acc[i], row.layout)) << row.reason << " " << i;
    }
  }
}

}  // namespace
