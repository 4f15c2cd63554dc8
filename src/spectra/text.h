// text.h: the one printf-style helper behind every line of the reports.
#pragma once

#include <string>

namespace spectra {

// printf-style formatting of one report line: at most 511 characters, the
// rest cut off.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace spectra
