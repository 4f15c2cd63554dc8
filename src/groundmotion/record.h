// record.h: reading a ground-motion record file, in any of the formats
// engineers have records in. The format is found from the content
// (ReadOptions::format forces one); every format is read into the same
// Record, in gal, with what was read and what was corrected on reading.
//
// Formats (one reader each, read_FORMAT.cc):
// - columns: text in columns, time and acceleration, as seedacc writes it
//   ("time(sec),seed-Acc(gal)" then " 0.01, -0.7407E-04") or separated by
//   commas, semicolons, blanks or tabs, with '#' comment lines; or one
//   column of values with ReadOptions::dt or a step the file declares.
// - at2: PEER NGA, four header lines (the third names the unit, the fourth
//   NPTS and DT), then the values, free-format or in fixed columns of 10.
// - knet: K-NET and KiK-net ASCII: the header lines from "Origin Time" to
//   "Memo.", then integer counts times the Scale Factor.
// - jma: JMA strong-motion CSV: "KEY= value" header lines, a line naming
//   the components ("NS,EW,UD"), then one column each.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "number.h"
#include "units.h"

namespace groundmotion {

// A file that cannot be read as a record. The message is one line that
// begins with the file name and, where there is one, the line number:
// "rec.csv:17: ...".
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Format { columns, at2, knet, jma };

// Where the unit of the values came from.
enum class UnitOrigin { file, option, fallback };

// Equally spaced acceleration samples, and what was read to get them.
struct Record {
  std::string source;       // file name as given, for messages and titles
  bool has_header = false;  // columns: whether the first line was a header line
  double start_time = 0.0;  // time of the first sample, s
  double dt = 0.0;          // time step, s (> 0)
  double time_resolution = 0.0;  // unit of the finest last printed digit of the times
  std::vector<double> acc;  // acceleration, gal (at least 2 samples)

  Format format = Format::columns;
  bool one_column = false;       // columns: values alone, the step from ReadOptions::dt
  bool dt_declared = false;      // one column: the step from a header or comment line
  Unit unit = Unit::gal;         // the unit of the values in the file
  UnitOrigin unit_origin = UnitOrigin::fallback;
  std::string scale;             // knet: the Scale Factor as written; else empty
  std::string component;         // "NS", "EW", "UD", or empty when not known
  std::vector<std::string> corrections;  // made on reading, each said in the report
  std::vector<std::string> warnings;     // found on reading, each said in the report
  double input_dt = 0.0;         // the step of the file as read, before any resampling

  double time_at(std::size_t index) const {
    return start_time + static_cast<double>(index) * dt;
  }
  double end_time() const { return time_at(acc.size() - 1); }
};

// Decimals with which the record's own times are printed (2 for times
// written as 163.83), from its time resolution; 0 to 6.
int time_decimals(const Record& record);

// The limits of reading, each an error that names the file (and the line)
// and the way past it.
constexpr std::size_t kMaxLineBytes = 1 << 20;        // a line longer is no record line
constexpr std::size_t kDefaultMaxSamples = 10000000;  // --max-samples lifts it
constexpr double kMinStep = 1e-4;                     // s; a finer step is resampled (--dt)
constexpr double kMaxAcceleration = 1e6;              // gal, in magnitude; else --units

// The relative difference within which two statements of a record's step
// agree (a declared step, --dt, the time column's).
constexpr double kStepAgreement = 1e-4;

// What the command line says about the input.
struct ReadOptions {
  std::size_t max_samples = kDefaultMaxSamples;  // --max-samples
  std::optional<Format> format;  // --format: read as this, not as detected
  std::optional<Unit> unit;      // --units: the unit of a file that names none
  double dt = 0.0;               // --dt: the step of one column of values (0: none)
  std::string component;         // --component: NS, EW or UD; empty: none
};

// The name of a format in options and reports: "columns", "at2", "knet",
// "jma"; and the choices for usage texts, "columns|at2|knet|jma".
const char* format_name(Format format);
std::string format_choices();

// The format named exactly `name`; throws std::invalid_argument naming
// the choices otherwise.
Format parse_format_name(std::string_view name);

// The component named `name` (NS, EW or UD, any case) in upper case;
// throws std::invalid_argument otherwise.
std::string parse_component_name(std::string_view name);

// The format of the file whose first lines are `head` (the first few
// dozen, or all when fewer): knet when the first line that is not blank
// starts with "Origin Time", jma when one of them starts with "SITE CODE",
// at2 when the fourth names NPTS and DT, columns otherwise.
Format detect_format(const std::vector<std::string>& head);

// Reads a record from `in`; `source` names it in messages. The format is
// detected unless options.format forces it; the readers' rules are in
// read_columns.cc, read_at2.cc, read_knet.cc and read_jma.cc and in the
// README. A unit named by the file and a different options.unit is an
// error; neither gives gal. Throws InputError naming the source and the
// line on the first fault; the record has at least 2 samples.
Record parse_record(std::istream& in, const std::string& source,
                    const ReadOptions& options = {});

// Opens `path` and parses it as above. A file that cannot be opened, or is
// a directory, throws InputError naming the path.
Record read_record_file(const std::string& path, const ReadOptions& options = {});

// The unit of the last printed digit of times written to the decimals
// `dt` needs (0.01 for 0.01 and 0.02, 0.001 for 0.005), at most 1e-9: the
// time resolution of a record whose file has no time column.
double step_resolution(double dt);

// The lines that open a report on `record`: "read: " with the format,
// component and unit; one line per correction made on reading and per
// warning. Each line ends with '\n'.
std::string describe_reading(const Record& record);

}  // namespace groundmotion
