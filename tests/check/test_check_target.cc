// The target spectra: each built-in at every branch and corner against its
// formula worked by hand, target files read and refused line by line, and
// the command lines that cannot be run, each with one line and status 2.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "process.h"
#include "record.h"
#include "target_file.h"

namespace {

const double g = 980.665;  // cm/s2

groundmotion::Target target_of(const std::string& given) {
  groundmotion::TargetRequest request;
  request.given = given;
  return groundmotion::Target::from_request(request);
}

TEST(Target, BuiltInsAtEveryBranchAndCorner) {
  const struct {
    const char* given;
    double period;
    double damping;
    double expected;  // gal, by hand
    const char* reason;
  } kRows[] = {
      {"jp-l2", 0.0, 0.05, 320.0, "rising branch at 0"},
      {"jp-l2", 0.1, 0.05, 620.0, "3000 T + 320"},
      {"jp-l2", 0.16, 0.05, 800.0, "lower corner"},
      {"jp-l2", 0.64, 0.05, 800.0, "upper corner: 512 / 0.64"},
      {"jp-l2", 3.0, 0.05, 512.0 / 3.0, "512 / T"},
      {"jp-l2", 1.0, 0.02, 640.0, "Fh = 1.5 / 1.2"},
      {"jp-l1", 0.1, 0.05, 124.0, "a fifth of 620"},
      {"jp-l2:z=0.7", 0.3, 0.05, 560.0, "Z multiplies"},
      {"jp-l2:ground=1", 0.3, 0.05, 800.0 * 1.35, "type 1 below 0.576 s"},
      {"jp-l2:ground=1", 0.576, 0.05, 800.0 * 0.778 / 0.576, "type 1 bend: 0.778 / T"},
      {"jp-l2:ground=1", 0.6, 0.05, 800.0 * 0.778 / 0.6, "0.778 / T"},
      {"jp-l2:ground=1", 0.64, 0.05, 800.0 * 1.2, "type 1 from 0.64 s: 1.2"},
      {"jp-l2:ground=1", 2.0, 0.05, 256.0 * 1.2, "1.2 on 512 / T"},
      {"jp-l2:ground=2", 0.5, 0.05, 1200.0, "1.5 on the plateau"},
      {"jp-l2:ground=2", 0.75, 0.05, 1200.0, "1.5 T / 0.64 on 512 / T is 1200"},
      {"jp-l2:ground=2", 0.864, 0.05, 512.0 / 0.864 * 2.025, "Tu = 0.64 * 2.025 / 1.5"},
      {"jp-l2:ground=2", 2.0, 0.05, 256.0 * 2.025, "gv of type 2"},
      {"jp-l2:ground=3", 1.0, 0.05, 1200.0, "type 3 below Tu = 1.152 s"},
      {"jp-l2:ground=3", 2.0, 0.05, 256.0 * 2.7, "gv of type 3"},
      {"jp-l2:z=0.9,ground=2", 3.0, 0.05, 512.0 / 3.0 * 2.025 * 0.9, "both parameters"},
      {"asce7:sds=1,sd1=0.6,tl=8", 0.0, 0.05, 0.4 * g, "0.4 SDS at 0"},
      {"asce7:sds=1,sd1=0.6,tl=8", 0.06, 0.05, 0.7 * g, "half way to T0 = 0.12 s"},
      {"asce7:sds=1,sd1=0.6,tl=8", 0.12, 0.05, 1.0 * g, "T0"},
      {"asce7:sds=1,sd1=0.6,tl=8", 0.6, 0.05, 1.0 * g, "Ts"},
      {"asce7:sds=1,sd1=0.6,tl=8", 1.0, 0.05, 0.6 * g, "SD1 / T"},
      {"asce7:sds=1,sd1=0.6,tl=8", 8.0, 0.05, 0.075 * g, "TL"},
      {"asce7:sds=1,sd1=0.6,tl=8", 10.0, 0.05, 0.048 * g, "SD1 TL / T^2"},
      {"asce7:sds=1,sd1=0.6,tl=8,mce", 1.0, 0.05, 0.9 * g, "MCE: 1.5 times"},
      {"ec8:type=1,ground=C,ag=0.3", 0.0, 0.05, 0.345 * g, "ag S at 0"},
      {"ec8:type=1,ground=C,ag=0.3", 0.1, 0.05, 0.345 * 1.75 * g, "half way to TB = 0.2 s"},
      {"ec8:type=1,ground=C,ag=0.3", 0.2, 0.05, 0.8625 * g, "TB"},
      {"ec8:type=1,ground=C,ag=0.3", 0.6, 0.05, 0.8625 * g, "TC"},
      {"ec8:type=1,ground=C,ag=0.3", 1.0, 0.05, 0.5175 * g, "TC / T"},
      {"ec8:type=1,ground=C,ag=0.3", 2.0, 0.05, 0.25875 * g, "TD"},
      {"ec8:type=1,ground=C,ag=0.3", 5.0, 0.05, 0.8625 * 1.2 / 25.0 * g, "past 4 s, same law"},
      {"ec8:type=1,ground=C,ag=0.3", 0.6, 0.10, 0.8625 * 0.8164965809 * g, "eta = sqrt(2/3)"},
      {"ec8:type=1,ground=C,ag=0.3", 0.6, 0.30, 0.8625 * 0.55 * g, "eta held at 0.55"},
      {"ec8:type=2,ground=B,ag=0.2", 3.0, 0.05, 0.675 * 0.25 * 1.2 / 9.0 * g, "type 2, B"},
  };
  for (const auto& row : kRows) {
    EXPECT_NEAR(target_of(row.given).sa(row.period, row.damping), row.expected,
                1e-9 * row.expected)
        << row.given << " at " << row.period << " s: " << row.reason;
  }
  // jp-l2 is the seed program's spectrum, to the bit.
  EXPECT_EQ(groundmotion::Target().sa(0.1, 0.05), 0.1 * 3000.0 + 320.0);
  EXPECT_TRUE(target_of("jp-l1:ground=2").japanese());
  EXPECT_FALSE(target_of("ec8:type=1,ground=C,ag=0.3").japanese());
  EXPECT_EQ(target_of("asce7:tl=8.0,sd1=0.6,sds=1.0,mce").name(), "asce7:sds=1,sd1=0.6,tl=8,mce");
}

groundmotion::TargetTable table_of(const std::string& text, const std::string& units = "") {
  std::istringstream in(text);
  return groundmotion::parse_target_table(in, "t.csv", units);
}

TEST(TargetFile, UnitsHeadersSortingAndInterpolation) {
  const groundmotion::TargetTable in_g = table_of("# a comment\nPeriod (s), Sa (g)\n1, 0.5\n0.1, 1\n0, 0.4\n");
  EXPECT_EQ(in_g.periods, (std::vector<double>{0.1, 1.0}));  // sorted, the zero row left out
  EXPECT_EQ(in_g.values, (std::vector<double>{g, 0.5 * g}));
  EXPECT_EQ(in_g.zero_period_rows, 1u);
  const groundmotion::TargetTable by_frequency = table_of("Frequency [Hz]; PSA [cm/s^2]\n10; 500\n1; 300\n");
  EXPECT_EQ(by_frequency.periods, (std::vector<double>{0.1, 1.0}));
  EXPECT_EQ(by_frequency.values, (std::vector<double>{500.0, 300.0}));
  const groundmotion::TargetTable bare = table_of("0.1\t2\n1   1.5\n1 1.5\n", "m/s2");  // a repeat
  EXPECT_EQ(bare.values, (std::vector<double>{200.0, 150.0}));
  // Log-log: at the geometric middle of 0.1 s and 1 s, sqrt(200 * 150).
  EXPECT_NEAR(groundmotion::interpolate_table(bare, std::sqrt(0.1)), std::sqrt(200.0 * 150.0), 1e-9);
  EXPECT_EQ(groundmotion::interpolate_table(bare, 0.01), 200.0);  // the nearer end outside
  EXPECT_THROW(table_of("0.1,2\n1,1\n"), groundmotion::TargetError);  // no unit anywhere
  EXPECT_THROW(table_of("T,Sa(g)\n0.1,2\n1,1\n", "gal"), groundmotion::TargetError);  // two units
}

TEST(TargetFile, EachBadLineNamed) {
  const struct {
    const char* text;
    const char* message;
  } kRows[] = {
      {"T,Sa(g)\n0.1,1\n0.5,x\n", "t.csv:3: expected two numbers"},
      {"T,Sa(g)\n0.1,1\n0.5,1,2\n", "t.csv:3: expected two numbers"},
      {"T,Sa(g)\n0.1,1\n-0.5,1\n", "t.csv:3: a negative period"},
      {"T,Sa(g)\n0.1,1\n0.5,0\n", "t.csv:3: Sa must be above 0"},
      {"T,Sa(g)\n0.1,1\n0.5,-1\n", "t.csv:3: Sa must be above 0"},
      {"T,Sa(g)\n0.1,1\n0.5,nan\n", "t.csv:3: expected two numbers"},
      {"Hz,Sa(g)\n10,1\n0,1\n", "t.csv:3: a frequency must be above 0"},
      {"T,Sa(g)\n0.1,1\n0.5,1\n\n0.1,2\n", "t.csv:5: period 0.1 s given again with another Sa (line 2)"},
      {"Sa,T\n0.1,1\n", "t.csv:1: the first column's header must name the period"},
      {"T,Sa(g)\n0,1\n0.5,1\n", "t.csv: a target needs at least two periods above 0, found 1"},
  };
  for (const auto& row : kRows) {
    try {
      table_of(row.text);
      ADD_FAILURE() << row.text;
    } catch (const groundmotion::InputError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(row.message, 0), 0u) << error.what();
    }
  }
}

// Command lines the target refuses: one line naming the fault, then the
// usage; status 2. The range rows read a file of 0.05 s to 4 s.
TEST(TargetCli, RefusedWithOneLine) {
  testsupport::TempDir dir;
  std::string record = "t,a\n";
  for (int i = 0; i < 2100; ++i) record += std::to_string(i * 0.01) + "," + std::to_string(i % 7) + "\n";
  testsupport::write_file(dir.file("r.csv"), record);
  testsupport::write_file(dir.file("t.csv"), "T,Sa (g)\n0.05,1\n4,0.1\n");
  testsupport::write_file(dir.file("bare.csv"), "0.01,1\n10,0.1\n");
  const std::string file = dir.file("t.csv");
  const struct {
    std::vector<std::string> args;
    const char* message;
  } kRows[] = {
      {{"--target", "jp-l3"}, "--target 'jp-l3' is neither a built-in target"},
      {{"--target", "jp-l2:x=1"}, "unknown parameter 'x' (z, ground)"},
      {{"--target", "jp-l2:z=1.2"}, "z must be from 0.7 to 1.0, got '1.2'"},
      {{"--target", "jp-l2:z=0.69"}, "z must be from 0.7 to 1.0"},
      {{"--target", "jp-l1:ground=4"}, "ground must be 1, 2 or 3, got '4'"},
      {{"--target", "jp-l2:z=0.9,z=0.8"}, "z given twice"},
      {{"--target", "asce7:sds=1,sd1=0.6"}, "tl is missing (sds, sd1, tl, mce)"},
      {{"--target", "asce7:sds=1,sd1=0.6,tl=8,mce=2"}, "mce takes no value"},
      {{"--target", "asce7:sds=1,sd1=0.6,tl=0.5"}, "tl must lie above Ts"},
      {{"--target", "ec8:type=1,ground=C"}, "ag is missing (type, ground, ag)"},
      {{"--target", "ec8:type=3,ground=C,ag=0.3"}, "type must be 1 or 2"},
      {{"--target", "ec8:type=1,ground=F,ag=0.3"}, "ground must be A, B, C, D or E, got 'F'"},
      {{"--target", "asce7:sds=1,sd1=0.6,tl=8", "--damping", "0.02"},
       "--damping 0.02 does not apply to the target asce7:sds=1,sd1=0.6,tl=8: defined for h = 0.05"},
      {{"--target", file, "--target-damping", "0.03"}, "--damping 0.05 does not apply"},
      {{"--target", dir.file("bare.csv")}, "names no unit of Sa in a header: give it with --target-units"},
      {{"--target", "jp-l2", "--target-units", "g"}, "--target-units applies to a target file"},
      {{"--target", file, "--target-units", "kg"}, "--target-units must be one of g, gal, cm/s2, m/s2"},
      {{"--target", file}, "has no period below 0.05 s (20 Hz), but the compared range reaches 50 Hz; narrow"},
      {{"--target", file, "--range", "0.1:20"}, "has no period above 4 s (0.25 Hz), but the compared range reaches 0.1 Hz"},
  };
  for (const auto& row : kRows) {
    std::vector<std::string> args = row.args;
    args.push_back(dir.file("r.csv"));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(check::run(args, out, err), check::kExitUsage) << row.message;
    const std::string first = err.str().substr(0, err.str().find('\n'));
    EXPECT_NE(first.find(row.message), std::string::npos) << first;
    EXPECT_EQ(err.str().find("\nusage: seedacc-check"), first.size()) << err.str();
  }
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(check::run({dir.file("r.csv"), "--target", file, "--range", "0.25:20"}, out, err),
            check::kExitOk)
      << err.str();
  EXPECT_NE(out.str().find("\ntarget: " + file + ", a target file of 2 periods from 0.05 s to 4 s"),
            std::string::npos)
      << out.str();
}

}  // namespace
