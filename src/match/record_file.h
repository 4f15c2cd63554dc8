// record_file.h: the layouts of the matched record's file, in one place
// (--output-format, --digits, --output-units):
// - seed (the default): the header (record_header) naming the target, then per
//   sample the time (F8.2 for times in hundredths, wider or with more
//   decimals when the seed's times need them), a comma and the
//   acceleration as E12.4 (E(N+8).N for N digits), each line ended by '\n';
// - csv: the header "time(s),acceleration(gal)", then "time,acceleration",
//   the time with the seed layout's decimals and the acceleration with N
//   significant digits (default kDefaultDigits);
// - columns: a header line "# one value a line, dt = 0.01 s, unit gal,
//   16384 values", then one acceleration a line, N digits;
// - at2: PEER style, in g: a title line, a line naming the source record
//   and the target, "ACCELERATION TIME HISTORY IN UNITS OF G",
//   "NPTS=   16384, DT=    0.0100 SEC", then five values a line, N digits.
// The unit is gal unless --output-units names another (g for at2, always).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "record.h"

namespace match {

enum class OutputFormat { seed, csv, columns, at2 };

// The header line of the seed layout for a record in `unit` matched to
// the target called `target_name`, without its line feed:
//    time(sec),"matched-Acc(gal) to NAME"
// the second column quoted as comma-separated files quote a field (the
// name may hold commas; a double quote in it is doubled, a control
// character escaped as groundmotion::printable writes it).
std::string record_header(const std::string& target_name, groundmotion::Unit unit = groundmotion::Unit::gal);

// The acceleration field of the seed layout: E12.4.
constexpr int kAccelerationWidth = 12;
constexpr int kAccelerationDigits = 4;

// Significant digits of the csv, columns and at2 layouts unless --digits
// says otherwise, and the range --digits takes.
constexpr int kDefaultDigits = 8;
constexpr int kFewestDigits = 1;
constexpr int kMostDigits = 17;

// Values a line of the at2 layout.
constexpr int kAt2ValuesPerLine = 5;

struct OutputLayout {
  OutputFormat format = OutputFormat::seed;
  int digits = 0;                       // kFewestDigits ... kMostDigits; 0: the format's own
  groundmotion::Unit unit = groundmotion::Unit::gal;  // g for at2
  std::string source;  // at2: the record matched, as named on the command line
  std::string target;  // the name of the target it was matched to
};

// "seed", "csv", "columns", "at2", and "seed|csv|columns|at2".
const char* output_format_name(OutputFormat format);
std::string output_format_choices();

// The format named exactly `name`; throws std::invalid_argument naming the
// choices otherwise.
OutputFormat parse_output_format(std::string_view name);

// The significant digits `layout` writes: its own, or the format's default
// (kAccelerationDigits for seed, kDefaultDigits otherwise).
int significant_digits(const OutputLayout& layout);

// The extension of a file in `format`: ".csv", ".csv", ".txt", ".AT2".
const char* output_extension(OutputFormat format);

// The value (gal) a file in `layout` holds for `value` (gal), read back as
// the record reader reads it.
double as_written(double value, const OutputLayout& layout = {});

// The file of `acc` (gal, not empty) at the times of `times` (its start
// time, step and time resolution) in `layout`.
std::string format_record_file(const groundmotion::Record& times, const std::vector<double>& acc,
                               const OutputLayout& layout = {});

}  // namespace match
