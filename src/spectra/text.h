// text.h: the one printf-style helper behind every line of the reports.
#pragma once

#include <string>
#include <string_view>

namespace spectra {

// printf-style formatting of one report line: at most 511 characters, the
// rest cut off.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Reads a finite decimal number that fills `text` (no blanks), with an
// optional sign, '+' or '-', and exponent ("+0.05", "-1e-3"), as the
// options take their values. Returns false, `value` unchanged, otherwise.
bool read_decimal(std::string_view text, double& value);

// `text` with every control character written as an escape (\n, \r, \t,
// or \xHH), so that a name prints on one line. Backslashes stay as they
// are (they separate the folders of a Windows path).
std::string printable(std::string_view text);

}  // namespace spectra
