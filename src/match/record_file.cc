// record_file.cc: the matched record's file (see record_file.h).
#include "record_file.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "text.h"
#include "textio/fmt.h"

namespace match {
namespace {

constexpr OutputFormat kFormats[] = {OutputFormat::seed, OutputFormat::csv,
                                     OutputFormat::columns, OutputFormat::at2};

// The seed's own decimals of the times, at least the two of F8.2.
int written_decimals(const groundmotion::Record& times) {
  if (times.time_resolution > 0.0 && times.time_resolution < 0.01) {
    return std::min(static_cast<int>(std::lround(-std::log10(times.time_resolution))), 9);
  }
  return 2;
}

// The E field of the seed layout for `digits`: E(digits + 8).digits.
int seed_width(int digits) { return digits + 8; }

// `value` in the layout's unit with the layout's digits, as text: an E
// field for seed, "%.*g" for the others.
std::string field(double value, const OutputLayout& layout) {
  const int digits = significant_digits(layout);
  const double scaled = value / groundmotion::gal_per_unit(layout.unit);
  char text[textio::fmt::kMaxWidth + 1];
  if (layout.format == OutputFormat::seed) {
    return std::string(text, textio::fmt::edit_e(text, scaled, seed_width(digits), digits));
  }
  if (layout.format == OutputFormat::at2) {
    std::snprintf(text, sizeof text, "%*.*E", digits + 7, digits - 1, scaled);
  } else {
    std::snprintf(text, sizeof text, "%.*g", digits, scaled);
  }
  return text;
}

std::string seed_file(const groundmotion::Record& times, const std::vector<double>& acc,
                      const OutputLayout& layout) {
  // The width holds the last time, its sign and point, and is at least 8.
  const int decimals = written_decimals(times);
  const double last_time =
      std::max(std::fabs(times.start_time), std::fabs(times.time_at(acc.size() - 1)));
  int digits = 1;
  for (double limit = 10.0; last_time >= limit && digits < 30; limit *= 10.0) ++digits;
  const int width = std::max(8, digits + decimals + 2);
  const int value_width = seed_width(significant_digits(layout));
  // The time, the comma, the acceleration and the line feed fit one line.
  assert(width + 1 + value_width + 1 <= textio::fmt::kMaxWidth);
  std::string text = record_header(layout.target, layout.unit) + "\n";
  text.reserve(text.size() + acc.size() * static_cast<std::size_t>(width + value_width + 2));
  char line[textio::fmt::kMaxWidth + 1];
  const double scale = groundmotion::gal_per_unit(layout.unit);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    char* end = textio::fmt::edit_f(line, times.time_at(i), width, decimals);
    *end++ = ',';
    end = textio::fmt::edit_e(end, acc[i] / scale, value_width, significant_digits(layout));
    *end++ = '\n';
    text.append(line, end);
  }
  return text;
}

std::string at2_file(const groundmotion::Record& times, const std::vector<double>& acc,
                     const OutputLayout& layout) {
  std::string text = "PEER-style record written by seedacc-match\n";
  text += "SOURCE " + groundmotion::printable(layout.source) + ", MATCHED TO " +
          groundmotion::printable(layout.target) + "\n";
  text += "ACCELERATION TIME HISTORY IN UNITS OF G\n";
  text += groundmotion::format("NPTS=%8zu, DT=%10.*f SEC\n", acc.size(), std::max(4, written_decimals(times) + 1),
                          times.dt);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    text += field(acc[i], layout);
    text += (i + 1) % kAt2ValuesPerLine == 0 || i + 1 == acc.size() ? "\n" : " ";
  }
  return text;
}

}  // namespace

std::string record_header(const std::string& target_name, groundmotion::Unit unit) {
  std::string quoted;
  for (const char c : groundmotion::printable(target_name)) quoted += c == '"' ? "\"\"" : std::string(1, c);
  return std::string(" time(sec),\"matched-Acc(") + groundmotion::unit_name(unit) + ") to " + quoted +
         "\"";
}

const char* output_format_name(OutputFormat format) {
  switch (format) {
    case OutputFormat::csv: return "csv";
    case OutputFormat::columns: return "columns";
    case OutputFormat::at2: return "at2";
    case OutputFormat::seed: break;
  }
  return "seed";
}

std::string output_format_choices() {
  return groundmotion::choices_text(kFormats, output_format_name);
}

OutputFormat parse_output_format(std::string_view name) {
  return groundmotion::parse_choice(name, kFormats, output_format_name, "output format");
}

int significant_digits(const OutputLayout& layout) {
  if (layout.digits > 0) return layout.digits;
  return layout.format == OutputFormat::seed ? kAccelerationDigits : kDefaultDigits;
}

const char* output_extension(OutputFormat format) {
  switch (format) {
    case OutputFormat::columns: return ".txt";
    case OutputFormat::at2: return ".AT2";
    case OutputFormat::seed:
    case OutputFormat::csv: break;
  }
  return ".csv";
}

double as_written(double value, const OutputLayout& layout) {
  double read = 0.0;
  const bool ok = groundmotion::parse_number(field(value, layout), read);
  assert(ok);
  (void)ok;
  return read * groundmotion::gal_per_unit(layout.unit);
}

std::string format_record_file(const groundmotion::Record& times, const std::vector<double>& acc,
                               const OutputLayout& layout) {
  assert(!acc.empty());
  assert(significant_digits(layout) >= kFewestDigits && significant_digits(layout) <= kMostDigits);
  switch (layout.format) {
    case OutputFormat::seed: return seed_file(times, acc, layout);
    case OutputFormat::at2: return at2_file(times, acc, layout);
    case OutputFormat::columns: {
      std::string text = groundmotion::format("# one value a line, dt = %g s, unit %s, %zu values\n",
                                         times.dt, groundmotion::unit_name(layout.unit), acc.size());
      for (const double value : acc) text += field(value, layout) + "\n";
      return text;
    }
    case OutputFormat::csv: break;
  }
  std::string text = std::string("time(s),acceleration(") + groundmotion::unit_name(layout.unit) + ")\n";
  const int decimals = written_decimals(times);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    text += groundmotion::format("%.*f,", decimals, times.time_at(i)) + field(acc[i], layout) + "\n";
  }
  return text;
}

}  // namespace match
