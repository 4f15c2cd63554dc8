// record.h: reading a ground-motion record file.
//
// The layout is the one seedacc writes: an optional header line, then one
// record per line, "time,acceleration", time in seconds and acceleration in
// gal, for example
//
//    time(sec),seed-Acc(gal)
//     0.00,  0.0000E+00
//     0.01, -0.7407E-04
//
// Files of any length and any time step are read, so that records that did
// not come from seedacc can be checked as well.
#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace spectra {

// A file that cannot be read as a record. The message is one line that
// begins with the file name and, where there is one, the line number:
// "rec.csv:17: ...".
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Equally spaced acceleration samples.
struct Record {
  std::string source;       // file name as given, for messages and titles
  bool has_header = false;  // whether line 1 was a header line
  double start_time = 0.0;  // time of the first sample, s
  double dt = 0.0;          // time step, s (> 0)
  double time_resolution = 0.0;  // unit of the finest last printed digit of the times
  std::vector<double> acc;  // acceleration, gal (at least 2 samples)

  double time_at(std::size_t index) const {
    return start_time + static_cast<double>(index) * dt;
  }
  double end_time() const { return time_at(acc.size() - 1); }
};

// Decimals with which the record's own times are printed (2 for times
// written as 163.83), from its time resolution; 0 to 6.
int time_decimals(const Record& record);

// Reads a record from `in`; `source` names it in messages.
//
// Rules:
// - The first line that is not blank is a header when its first non-blank
//   character cannot begin a number (a digit, a sign or a point); it is then
//   skipped. Every other line must be a record. A file without a header is
//   read the same way.
// - A record is two numbers separated by one comma, blanks allowed around
//   each. Numbers are decimal, with an optional exponent written E, e, D or
//   d, or with the exponent's sign alone as the exponent fields of three
//   digits are written ("0.1000+101"). Infinities and not-a-numbers are
//   refused.
// - Lines that are empty or blank are skipped; a carriage return before the
//   line feed is ignored.
// - At least 2 records are needed.
// - A UTF-8 byte-order mark at the start of the file is skipped.
// - Times must be equally spaced: dt is (last time - first time) / (n - 1).
//   Each time is held to its own printed digits ("15" to +-0.5 s, "14.99"
//   to +-0.005 s, so times written without trailing zeros are read as
//   written): every step between neighbouring times must be within half a
//   unit of the coarser of its two times' last digits, and every time's
//   offset from first time + i dt within half a unit of its own, each plus a
//   margin of 1e-6 of that unit for the binary representation. A missing or
//   repeated sample therefore fails whenever dt is at least one unit of the
//   digits of the times around it.
//
// Throws InputError naming the source and the line on the first fault.
Record parse_record(std::istream& in, const std::string& source);

// Opens `path` and parses it as above. A file that cannot be opened, or is
// a directory, throws InputError naming the path.
Record read_record_file(const std::string& path);

// Parses one number that fills `text` (blanks allowed around it) by the
// rules above. On success sets `value` and `resolution` (the unit of the
// last digit written: 0.01 for "163.83", 1e-8 for "0.7407E-04") and returns
// true; otherwise returns false and leaves both unchanged.
bool parse_number(std::string_view text, double& value, double& resolution);

}  // namespace spectra
