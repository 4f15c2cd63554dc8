// The record formats, one fixture each written from its published layout:
// what is read (format, step, unit, component, values in gal, computed by
// hand here) and the one-line error of each bad input.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "record.h"

namespace {

using groundmotion::Format;
using groundmotion::Unit;

struct Case {
  const char* name;
  std::string text;
  groundmotion::ReadOptions options;
  Format format;
  double dt;
  Unit unit;
  std::vector<double> first;  // the first values, gal
  std::size_t count;
  std::string reading;        // a part of describe_reading, or of the error
  bool fails = false;
};

void PrintTo(const Case& row, std::ostream* out) { *out << row.name; }

groundmotion::ReadOptions with(double dt, std::optional<Unit> unit = {}, std::string component = {}) {
  groundmotion::ReadOptions options;
  options.dt = dt;
  options.unit = unit;
  options.component = std::move(component);
  return options;
}

constexpr double kG = 980.665;

const char* const kKnetHeader =
    "Origin Time       2011/03/11 14:46:00\n"
    "Lat.              38.103\n"
    "Long.             142.860\n"
    "Depth. (km)       24\n"
    "Mag.              9.0\n"
    "Station Code      MYG004\n"
    "Station Lat.      38.7292\n"
    "Station Long.     141.0217\n"
    "Station Height(m) 230\n"
    "Record Time       2011/03/11 14:46:15\n"
    "Sampling Freq(Hz) 100Hz\n"
    "Duration Time(s)  0.05\n"
    "Dir.              N-S\n"
    "Scale Factor      1000(gal)/2000\n";

// Counts 5 10 15 20 0 10 at 0.5 gal a count: mean 5 gal, so -2.5 2.5 ...;
// the peak after removing it, 5 gal, against Max. Acc.
std::string knet(const char* max_acc, const char* counts = "     5    10    15    20     0    10\n") {
  return std::string(kKnetHeader) + "Max. Acc. (gal)   " + max_acc +
         "\nLast Correction   2011/03/11 14:46:15\nMemo.\n" + counts;
}

const char* const kJma =
    "SITE CODE= 47646\nLAT.= 36.0563\nLON.= 140.1288\nSAMPLING RATE= 100Hz\n"
    "UNIT  = gal\nINITIAL TIME= 2011 03 11 14 46 17\n NS, EW, UD\n"
    "-0.020, 0.032, 0.014\n1.5,-2.25,3\n0.5,4,-1\n";

std::vector<Case> cases() {
  return {
    {"SeedLayout", " time(sec),seed-Acc(gal)\n    0.00,  0.1000E+01\n    0.01, -0.2500E+01\n",
     with(0), Format::columns, 0.01, Unit::gal, {1.0, -2.5}, 2, "unit gal, named in the file"},
    // The unit in brackets on a comment line, semicolons between fields.
    {"CommentUnitSemicolons", "#Time [sec]  Acceleration [g]\n0;0.5\n0.02;-0.25\n0.04;1\n", with(0),
     Format::columns, 0.02, Unit::g, {0.5 * kG, -0.25 * kG, kG}, 3, "unit g, named in the file"},
    {"TabsNoHeaderUnitsOption", "0.005\t1\n0.010\t2\n0.015\t-3\n", with(0, Unit::m_s2),
     Format::columns, 0.005, Unit::m_s2, {100, 200, -300}, 3, "unit m/s2, from --units"},
    // A unit in brackets decides over a bare word, as in the header the
    // matcher writes for a target file named site_g.csv.
    {"BracketedUnitDecides", " time(sec),\"matched-Acc(gal) to site_g.csv\"\n0,1\n0.01,2\n",
     with(0), Format::columns, 0.01, Unit::gal, {1, 2}, 2, "unit gal, named in the file"},
    {"NoUnitAnywhere", "0 1\n0.01 2\n", with(0), Format::columns, 0.01, Unit::gal, {1, 2}, 2,
     "unit gal (the file names none; --units gal|g|m/s2 to change)"},
    {"OneColumnWithDt", "1.5\n-2\n0.25\n1\n", with(0.02), Format::columns, 0.02, Unit::gal,
     {1.5, -2, 0.25, 1}, 4, "one column of values, dt from --dt"},
    {"OneColumnDeclaredStep", "# dt = 0.02 s, unit g\n1\n-0.5\n", with(0), Format::columns, 0.02,
     Unit::g, {kG, -0.5 * kG}, 2, "one column of values, dt from the file"},
    // A sampling rate in the header against the time column's step.
    {"DeclaredRateContradictsTimes", "# SAMPLING RATE= 50Hz\n0,1\n0.01,2\n0.02,3\n", with(0),
     Format::columns, 0, Unit::gal, {}, 0,
     "rec:1: the file declares the step 0.02 s, but its time column steps by 0.01 s", true},
    {"OneColumnWithoutDt", "1.5\n-2\n", with(0), Format::columns, 0, Unit::gal, {}, 0,
     "rec:1: one column of values: give their time step with --dt", true},
    // The header names g, the option gal: which is right cannot be guessed.
    {"UnitContradicted", "time (s), acc (g)\n0,1\n0.01,2\n", with(0, Unit::gal),
     Format::columns, 0, Unit::gal, {}, 0, "rec:1: the file names the unit g, --units says gal",
     true},
    {"At2EqualsStyle",
     "PEER NGA STRONG MOTION DATABASE RECORD\nIMPERIAL VALLEY 10/15/79 2316, EL CENTRO ARRAY #6, 230\n"
     "ACCELERATION TIME HISTORY IN UNITS OF G\nNPTS=     7, DT=   .0050 SEC\n"
     "  .1000000E-01  -.2000000E-01  .3000000E-01  0.0000000E+00  .5000000E-01\n"
     "  -.6000000E-01  .7000000E-01\n",
     with(0), Format::at2, 0.005, Unit::g, {0.01 * kG, -0.02 * kG, 0.03 * kG, 0, 0.05 * kG}, 7,
     "PEER NGA (AT2)"},
    {"At2LowerDtStyle",
     "PEER NGA\nNORTHRIDGE\nACCELERATION TIME HISTORY IN UNITS OF CM/S/S\nNPTS=   3, dt=  .02000\n"
     "1.5 2.5 -3.5\n",
     with(0), Format::at2, 0.02, Unit::gal, {1.5, 2.5, -3.5}, 3, "unit gal, named in the file"},
    // 8F10.5 columns where a value of ten characters touches the one
    // before it: "-123.45678" right after "  12.34567".
    {"At2FixedColumnsGlued",
     "PACIFIC ENGINEERING\n SAN FERNANDO\n ACCELERATION IN CM/SEC/SEC\n 3    0.0100    NPTS, DT\n"
     "  12.34567-123.45678   0.00100\n",
     with(0), Format::at2, 0.01, Unit::gal, {12.34567, -123.45678, 0.001}, 3, "PEER NGA (AT2)"},
    {"At2NptsContradicted",
     "PEER\nX\nUNITS OF G\nNPTS=  4, DT= .01 SEC\n .1 .2 .3\n", with(0), Format::at2, 0, Unit::g, {},
     0, "rec:4: NPTS is 4 but 3 values follow the header", true},
    {"At2NotANumber", "PEER\nX\nUNITS OF G\nNPTS=  3, DT= .01 SEC\n .1 .2 x.3\n", with(0), Format::at2,
     0, Unit::g, {}, 0, "rec:5: expected values separated by blanks or in columns of 10", true},
    {"KnetMeanRemoved", knet("5.000"), with(0), Format::knet, 0.01, Unit::gal, {-2.5, 0, 2.5, 5, -5, 0},
     6, "corrected on reading: the record's mean, 5 gal, removed"},
    {"KnetMaxAccDisagrees", knet("7.5"), with(0), Format::knet, 0.01, Unit::gal, {-2.5}, 6,
     "warning: line 15: Max. Acc. 7.5 gal in the header, but the record's peak after removing "
     "the mean is 5 gal"},
    // A scale factor that names two units is a fault of its line, like any
    // other, not an escaped exception without the file's name.
    {"KnetScaleNamesTwoUnits", knet("5").replace(std::string(kKnetHeader).find("1000(gal)"), 9, "1000(gal)(g)"),
     with(0), Format::knet, 0, Unit::gal, {}, 0, "rec:14: the line names two units", true},
    {"KnetComponentContradicted", knet("5"), with(0, {}, "EW"), Format::knet, 0, Unit::gal, {}, 0,
     "rec:13: the file holds the component NS, not EW", true},
    {"KnetCountNotANumber", knet("5", "     5    1O\n"), with(0), Format::knet, 0, Unit::gal, {}, 0,
     "rec:18: expected integer counts, found \"1O\"", true},
    {"JmaComponentChosen", kJma, with(0, {}, "EW"), Format::jma, 0.01, Unit::gal, {0.032, -2.25, 4},
     3, "JMA strong-motion CSV, component EW"},
    {"JmaComponentMissing", kJma, with(0), Format::jma, 0, Unit::gal, {}, 0,
     "rec:7: the file holds the components NS, EW, UD: choose one with --component", true},
  };
}

class Formats : public testing::TestWithParam<Case> {};

TEST_P(Formats, ReadsAsPublished) {
  const Case& row = GetParam();
  std::istringstream in(row.text);
  if (row.fails) {
    try {
      groundmotion::parse_record(in, "rec", row.options);
      ADD_FAILURE() << "read without an error";
    } catch (const groundmotion::InputError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(row.reading, 0), 0u) << error.what();
    }
    return;
  }
  const groundmotion::Record record = groundmotion::parse_record(in, "rec", row.options);
  EXPECT_EQ(record.format, row.format);
  EXPECT_DOUBLE_EQ(record.dt, row.dt);
  EXPECT_EQ(record.unit, row.unit);
  ASSERT_EQ(record.acc.size(), row.count);
  for (std::size_t i = 0; i < row.first.size(); ++i) {
    EXPECT_NEAR(record.acc[i], row.first[i], 1e-12 * kG) << i;
  }
  const std::string reading = groundmotion::describe_reading(record);
  EXPECT_NE(reading.find(row.reading), std::string::npos) << reading;
}

INSTANTIATE_TEST_SUITE_P(All, Formats, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
