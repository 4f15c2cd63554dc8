// record_file.cc: the matched record's file (see record_file.h).
#include "record_file.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <string_view>

#include "text.h"
#include "textio/fmt.h"

namespace match {

double as_written(double value) {
  char field[kAccelerationWidth];
  textio::fmt::edit_e(field, value, kAccelerationWidth, kAccelerationDigits);
  double read = 0.0;
  double resolution = 0.0;
  const bool ok = spectra::parse_number(std::string_view(field, sizeof field), read, resolution);
  assert(ok);
  (void)ok;
  return read;
}

std::string record_header(const std::string& target_name) {
  std::string quoted;
  for (const char c : spectra::printable(target_name)) quoted += c == '"' ? "\"\"" : std::string(1, c);
  return " time(sec),\"matched-Acc(gal) to " + quoted + "\"";
}

std::string format_record_file(const spectra::Record& layout, const std::vector<double>& acc,
                               const std::string& target_name) {
  assert(!acc.empty());
  // The seed's own decimals, at least the two of F8.2; the width holds the
  // last time, its sign and point, and is at least 8.
  int decimals = 2;
  if (layout.time_resolution > 0.0 && layout.time_resolution < 0.01) {
    decimals = static_cast<int>(std::lround(-std::log10(layout.time_resolution)));
    decimals = std::min(decimals, 9);
  }
  const double last_time = std::max(std::fabs(layout.start_time),
                                    std::fabs(layout.time_at(acc.size() - 1)));
  int digits = 1;
  for (double limit = 10.0; last_time >= limit && digits < 30; limit *= 10.0) ++digits;
  const int width = std::max(8, digits + decimals + 2);
  // The time, the comma, the acceleration and the line feed fit one line.
  const int line_width = width + 1 + kAccelerationWidth + 1;
  assert(line_width <= textio::fmt::kMaxWidth);

  std::string text = record_header(target_name) + "\n";
  text.reserve(text.size() + acc.size() * static_cast<std::size_t>(line_width));
  char line[textio::fmt::kMaxWidth + 1];
  for (std::size_t i = 0; i < acc.size(); ++i) {
    char* end = textio::fmt::edit_f(line, layout.time_at(i), width, decimals);
    *end++ = ',';
    end = textio::fmt::edit_e(end, acc[i], kAccelerationWidth, kAccelerationDigits);
    *end++ = '\n';
    text.append(line, end);
  }
  return text;
}

}  // namespace match
