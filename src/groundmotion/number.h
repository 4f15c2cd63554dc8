// number.h: the one number scanner of the record readers.
#pragma once

#include <stdexcept>
#include <string_view>

namespace groundmotion {

// Parses one number that fills `text` (blanks allowed around it). Numbers
// are decimal, with an optional sign and an optional exponent written E,
// e, D or d, or with the exponent's sign alone as the exponent fields of
// three digits are written ("0.1000+101"); infinities and not-a-numbers
// are refused. On success sets `value` and `resolution` (the unit of the
// last digit written: 0.01 for "163.83", 1e-8 for "0.7407E-04", 1 for
// "42") and returns true; otherwise returns false and leaves both
// unchanged. A number too large for a double ("1e999", or 400 digits
// without an exponent) throws NumberOutOfRange, whose message quotes it; a
// number too small for one reads as 0.
bool parse_number(std::string_view text, double& value, double& resolution);

class NumberOutOfRange : public std::range_error {
 public:
  using std::range_error::range_error;
};

// The same, for a caller that needs no resolution.
bool parse_number(std::string_view text, double& value);

// `text` without the blanks (spaces and tabs) around it.
std::string_view trim_blanks(std::string_view text);

}  // namespace groundmotion
