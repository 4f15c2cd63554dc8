// The comparison with the target, the verdict, and the three outputs:
// report text, table and picture, written all or nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "csv.h"
#include "output.h"
#include "record.h"
#include "report.h"
#include "response.h"
#include "svg.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

TEST(Comparison, TargetAndRatioAtGridPoints) {
  const std::vector<groundmotion::SpectrumPoint> points =
      groundmotion::compare_with_target({1.0, 10.0, 50.0}, {256.0, 620.0, 760.0});
  EXPECT_EQ(points[0].period, 1.0);
  EXPECT_EQ(points[0].target, 512.0);
  EXPECT_EQ(points[0].ratio, 0.5);
  EXPECT_DOUBLE_EQ(points[1].target, 620.0);  // 3000 * 0.1 + 320
  EXPECT_DOUBLE_EQ(points[2].target, 380.0);  // 3000 * 0.02 + 320
  EXPECT_DOUBLE_EQ(points[2].ratio, 2.0);
}

// A record of two sines, long enough to load every oscillator.
// Scaled by `scale`, sampled at `dt`, checked with `options`.
check::CheckResult sample_result(const std::string& source, double scale = 1.0,
                                 double dt = 0.01, groundmotion::CriteriaOptions options = {}) {
  groundmotion::Record record;
  record.source = source;
  record.has_header = true;
  record.dt = dt;
  record.time_resolution = 0.01;
  for (int i = 0; i * dt < 40.0; ++i) {
    const double t = i * dt;
    record.acc.push_back(scale * (200.0 * std::sin(2 * 3.14159 * 1.3 * t) * std::exp(-0.05 * t) +
                                  80.0 * std::sin(2 * 3.14159 * 7.0 * t)));
  }
  return check::run_check(record, options);
}

// Warnings and the damped target, each where it must appear and nowhere
// else.
TEST(Report, WarningsAndDampedTarget) {
  groundmotion::CriteriaOptions damped;
  damped.damping = 0.02;
  const struct {
    const char* reason;
    check::CheckResult result;
    const char* line;
    bool present;
  } rows[] = {
      {"peak 0.277 gal: a record in g or m/s^2?", sample_result("g.csv", 0.001), "\nwarning: "
       "peak acceleration 0.277 gal is below 1 gal: check that the accelerations are in gal", true},
      {"peak 5540 gal is above 5000 gal", sample_result("mm.csv", 20.0), "is above 5000 gal", true},
      {"peak 277 gal is plausible", sample_result("r.csv"), "\nwarning: peak", false},
      {"dt 0.02 s: 31 points above 25 Hz are listed as not judged",
       sample_result("c.csv", 1.0, 0.02), "\nwarning: 31 of the 271 points in the range "
       "(25.12-50 Hz) lie above the Nyquist frequency 25 Hz of the record and are not judged\n",
       true},
      {"the 50 Hz row says it is not judged", sample_result("c.csv", 1.0, 0.02),
       "  not judged, above the Nyquist frequency\n      0.03162", true},
      {"dt 0.01 s judges every point", sample_result("r.csv"), "not judged", false},
      {"damping 0.02: the target column is 1.25 times 512 gal at 1 s",
       sample_result("r.csv", 1.0, 0.01, damped), "        640 ", true},
  };
  for (const auto& row : rows) {
    const std::string text = check::format_report(row.result);
    EXPECT_EQ(text.find(row.line) != std::string::npos, row.present) << row.reason << "\n" << text;
  }
}

TEST(Report, StatesEverySectionAndTheVerdict) {
  const check::CheckResult result = sample_result("two-sines.csv");
  const std::string text = check::format_report(result);
  for (const char* part :
       {"seedacc-check: two-sines.csv\n", "record: 4000 samples, dt = 0.01 s, 0 s to 39.99 s",
        "peak acceleration", "peak velocity", "peak displacement", "Arias intensity",
        "D5-95 duration", "D5-75 duration", "residual velocity", "damping ratio 0.05", "271 frequencies",
        "then 50 Hz", "smallest ratio", "largest ratio", "mean ratio",
        "criteria (jp): Japanese practice"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  // 12 rows: 4 a decade and 50 Hz, from the shortest period up.
  EXPECT_NE(text.find("         0.02        50"), std::string::npos);
  EXPECT_NE(text.find("           10       0.1"), std::string::npos);
  // Two sines load the oscillators near their two frequencies only: the
  // spectrum cannot follow the broad target.
  const std::string last_line = text.substr(text.rfind('\n', text.size() - 2) + 1);
  EXPECT_EQ(last_line.rfind("verdict (jp): FAIL (", 0), 0u) << last_line;
}

// One mean ratio per report: the spectrum's line, the jp criterion and the
// picture print the same figure, the mean over every compared point.
TEST(Report, OneMeanRatio) {
  const check::CheckResult result = sample_result("r.csv");
  const std::string mean = groundmotion::format("%.3f", result.evaluation.fit.mean_ratio);
  const std::string text = check::format_report(result);
  EXPECT_NE(text.find("  mean ratio      " + mean + " over the 271 compared points\n"),
            std::string::npos) << text;
  // Every mean ratio the report prints is that one: the line and the jp note.
  const std::regex printed("mean ratio +([0-9.]+)");
  std::size_t mentions = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), printed);
       it != std::sregex_iterator(); ++it, ++mentions) {
    EXPECT_EQ((*it)[1].str(), mean);
  }
  EXPECT_EQ(mentions, 2u) << text;
  EXPECT_NE(check::format_svg(result).find("mean " + mean + " over 271 points"),
            std::string::npos);
}

// A long path is kept whole in the summary, not cut at a buffer's size.
TEST(Report, SummaryKeepsLongFileNames) {
  const std::string path(600, 'a');
  EXPECT_NE(check::format_summary({{path, nullptr}}).find(path + "  not read\n"),
            std::string::npos);
}

TEST(Table, HeaderAndOneLinePerFrequency) {
  const check::CheckResult result = sample_result("r.csv");
  std::istringstream table(check::format_csv(result.evaluation));
  std::string line;
  std::getline(table, line);
  EXPECT_EQ(line.rfind("# target: jp-l2, ", 0), 0u) << line;  // the target named first
  std::getline(table, line);
  EXPECT_EQ(line, "frequency_hz,period_s,sa_gal,target_sa_gal,ratio");
  std::size_t rows = 0;
  while (std::getline(table, line)) {
    double values[5];
    char comma[4];
    std::istringstream fields(line);
    fields >> values[0] >> comma[0] >> values[1] >> comma[1] >> values[2] >> comma[2] >>
        values[3] >> comma[3] >> values[4];
    ASSERT_TRUE(fields && fields.peek() == EOF) << line;
    const groundmotion::SpectrumPoint& point = result.evaluation.points[rows];
    EXPECT_NEAR(values[0], point.frequency, 1e-6 * point.frequency);
    EXPECT_NEAR(values[4], point.ratio, 1e-6 * point.ratio);
    ++rows;
  }
  EXPECT_EQ(rows, 271u);
}

// A fresh, empty directory for one test.
fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("seedacc-check-test-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Picture, WellFormedWithBothCurvesBandAndEscapedName) {
  const std::string svg = check::format_svg(sample_result("a&b<c>\"\x01\xff.csv"));
  // Nyquist at 50 Hz is the end of the axis, not inside it; at 25 Hz it is.
  EXPECT_EQ(svg.find("id=\"nyquist\""), std::string::npos);
  const std::string coarse = check::format_svg(sample_result("c.csv", 1.0, 0.02));
  EXPECT_NE(coarse.find("Nyquist 25 Hz"), std::string::npos);
  EXPECT_NE(coarse.find("id=\"nyquist-ratio\""), std::string::npos);
  for (const char* part : {"width=\"900.00\"", "id=\"history\"", "id=\"ratio\"",
                           "id=\"outside-band\"", "frequency (Hz)", ">0.85<",
                           "id=\"computed-sa\"", "id=\"target-sa\"", "id=\"band\"",
                           "time (s)", "acceleration (gal)", "period (s)", "id=\"velocity\"",
                           "id=\"displacement\"", "id=\"husid\"", "Sa (gal)",
                           "a&amp;b&lt;c&gt;&quot;??.csv",
                           ">0.02<", ">10<", "at least 0.85 x target", "jp FAIL"}) {
    EXPECT_NE(svg.find(part), std::string::npos) << part;
  }
  // The band and limits follow the chosen sets.
  groundmotion::CriteriaOptions both;
  both.sets = groundmotion::CriteriaChoice::both;
  const std::string us_and_jp = check::format_svg(sample_result("b.csv", 1.0, 0.01, both));
  for (const char* part : {">1.30<", ">0.90<", ">0.85<", "target -10 % to +30 %", "us FAIL"}) {
    EXPECT_NE(us_and_jp.find(part), std::string::npos) << part;
  }
  const fs::path dir = scratch("svg");
  std::ofstream(dir / "picture.svg") << svg;
  const std::string xmllint = XMLLINT_PATH;
  ASSERT_FALSE(xmllint.empty()) << "xmllint is needed (Debian package libxml2-utils)";
  const std::string command = "'" + xmllint + "' --noout '" + (dir / "picture.svg").string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  fs::remove_all(dir);
}

// Records at the ends of what is read: far from time zero (neighbouring
// ticks one double apart), silent, the largest accelerations: each picture
// is finished and every number in it is finite.
TEST(Picture, AnyFiniteRangeGivesFiniteNumbers) {
  const struct {
    double start, dt, scale;
    int count;
    const char* reason;
  } kRows[] = {
      {std::ldexp(1.0, 60), 256.0, 100.0, 4, "times from 2^60 s, where the tick loop never ended"},
      {0.0, 0.01, 0.0, 400, "a silent record"},
      {0.0, 1e-4, groundmotion::kMaxAcceleration, 400, "the largest accelerations at the finest step"},
  };
  for (const auto& row : kRows) {
    groundmotion::Record record;
    record.source = "r.csv";
    record.start_time = row.start;
    record.dt = row.dt;
    record.time_resolution = row.dt;
    for (int i = 0; i < row.count; ++i) record.acc.push_back(row.scale * std::sin(0.3 * i));
    const std::string svg = check::format_svg(check::run_check(record, {}));
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << row.reason;
    EXPECT_FALSE(std::regex_search(svg, std::regex("[^a-z](inf|nan)[^a-z]"))) << row.reason;
  }
}

TEST(Picture, EscapeKeepsValidUtf8) {
  EXPECT_EQ(check::xml_escape("\xe5\x9c\xb0\xe9\x9c\x87.csv"), "\xe5\x9c\xb0\xe9\x9c\x87.csv");
  EXPECT_EQ(check::xml_escape("\xc0\xaf\xed\xa0\x80x"), "?????x");  // over-long, surrogate
}

TEST(Output, WritesEveryFileAndLeavesNoTemporaries) {
  const fs::path dir = scratch("write");
  check::write_files({{(dir / "a.csv").string(), "one\n"}, {(dir / "b.svg").string(), "two\n"}});
  EXPECT_EQ(read_file(dir / "a.csv"), "one\n");
  EXPECT_EQ(read_file(dir / "b.svg"), "two\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  fs::remove_all(dir);
}

// The second file cannot be written: the first is not written either.
TEST(Output, NothingWrittenWhenOneFileFails) {
  const fs::path dir = scratch("fail");
  const std::string good = (dir / "a.csv").string();
  EXPECT_THROW(check::write_files({{good, "one\n"}, {(dir / "no" / "b.svg").string(), "two\n"}}),
               check::OutputError);
  EXPECT_TRUE(fs::is_empty(dir));
  fs::remove_all(dir);
}

// The third rename fails (its target is immutable, chattr +i, which needs
// root): the targets already renamed are put back as they were, and no
// temporary or kept file is left.
TEST(Output, FailedRenamePutsBackTheOutputsAlreadyRenamed) {
  const fs::path dir = scratch("rename");
  std::ofstream(dir / "a.csv") << "old\n";
  std::ofstream(dir / "b.svg") << "fixed\n";
  const std::string lock = "chattr +i '" + (dir / "b.svg").string() + "' 2>/dev/null";
  if (std::system(lock.c_str()) != 0) GTEST_SKIP() << "chattr +i needs root and ext2/3/4";
  EXPECT_THROW(check::write_files({{(dir / "a.csv").string(), "one\n"},
                                   {(dir / "c.csv").string(), "new\n"},
                                   {(dir / "b.svg").string(), "two\n"}}),
               check::OutputError);
  EXPECT_EQ(std::system(("chattr -i '" + (dir / "b.svg").string() + "'").c_str()), 0);
  EXPECT_EQ(read_file(dir / "a.csv"), "old\n");
  EXPECT_FALSE(fs::exists(dir / "c.csv"));
  EXPECT_EQ(read_file(dir / "b.svg"), "fixed\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  fs::remove_all(dir);
}

}  // namespace
