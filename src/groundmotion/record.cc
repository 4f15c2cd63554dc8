// record.cc: reading a record file, the format found from its content (see
// record.h); the readers themselves are in read_FORMAT.cc.
#include "record.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "readers.h"
#include "text.h"

namespace groundmotion {
namespace {

constexpr Format kFormats[] = {Format::columns, Format::at2, Format::knet, Format::jma};

// Lines looked at to find the format.
constexpr std::size_t kDetectionLines = 40;

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

const char* format_title(const Record& record) {
  switch (record.format) {
    case Format::at2: return "PEER NGA (AT2), NPTS and DT from line 4";
    case Format::knet: return "K-NET/KiK-net ASCII";
    case Format::jma: return "JMA strong-motion CSV";
    case Format::columns: break;
  }
  if (record.one_column && record.dt_declared) return "text, one column of values, dt from the file";
  return record.one_column ? "text, one column of values, dt from --dt"
                           : "text in columns, time and acceleration";
}

std::string unit_words(const Record& record) {
  std::string text = std::string("unit ") + unit_name(record.unit);
  switch (record.unit_origin) {
    case UnitOrigin::file: text += ", named in the file"; break;
    case UnitOrigin::option: text += ", from --units"; break;
    case UnitOrigin::fallback:
      text += " (the file names none; --units " + unit_choices() + " to change)";
      break;
  }
  if (record.unit != Unit::gal) {
    text += format(", 1 %s = %g gal", unit_name(record.unit), gal_per_unit(record.unit));
  }
  if (!record.scale.empty()) text += ", Scale Factor " + record.scale + " a count";
  return text;
}

}  // namespace

const char* format_name(Format format) {
  switch (format) {
    case Format::at2: return "at2";
    case Format::knet: return "knet";
    case Format::jma: return "jma";
    case Format::columns: break;
  }
  return "columns";
}

std::string format_choices() { return choices_text(kFormats, format_name); }

Format parse_format_name(std::string_view name) {
  return parse_choice(name, kFormats, format_name, "format");
}

std::string parse_component_name(std::string_view name) {
  const std::string component = upper(name);
  if (component != "NS" && component != "EW" && component != "UD") {
    throw std::invalid_argument("unknown component '" + std::string(name) +
                                "': one of NS, EW, UD");
  }
  return component;
}

Format detect_format(const std::vector<std::string>& head) {
  std::size_t first = 0;
  while (first < head.size() && readers::split_blanks(head[first]).empty()) ++first;
  if (first < head.size() && readers::starts_with_word(trim_blanks(head[first]), "Origin Time")) {
    return Format::knet;
  }
  for (const std::string& line : head) {
    if (readers::starts_with_word(trim_blanks(line), "SITE CODE")) return Format::jma;
  }
  if (head.size() >= 4) {
    const std::string fourth = upper(head[3]);
    if (fourth.find("NPTS") != std::string::npos && fourth.find("DT") != std::string::npos) {
      return Format::at2;
    }
  }
  return Format::columns;
}

Record parse_record(std::istream& in, const std::string& source, const ReadOptions& options) {
  LineReader lines(in, source);
  Format format = Format::columns;
  if (options.format) {
    format = *options.format;
  } else {
    std::vector<std::string> head;
    for (std::size_t i = 0; i < kDetectionLines; ++i) {
      const Line* line = lines.peek(i);
      if (line == nullptr) break;
      head.push_back(line->text);
    }
    format = detect_format(head);
  }
  Record record;
  try {
    switch (format) {
      case Format::at2: record = readers::read_at2(lines, options); break;
      case Format::knet: record = readers::read_knet(lines, options); break;
      case Format::jma: record = readers::read_jma(lines, options); break;
      case Format::columns: record = readers::read_columns(lines, options); break;
    }
  } catch (const NumberOutOfRange& error) {
    lines.fail(lines.line_number(),
               std::string(error.what()) + ": check the unit of the values (--units)");
  }
  const double step = options.dt > 0.0 ? options.dt : record.dt;
  if (!(step >= kMinStep)) {
    lines.fail(0, groundmotion::format("the time step %g s is below %g s, finer than any strong-motion "
                         "record needs: resample it (seedacc-match --dt)", step, kMinStep));
  }
  record.format = format;
  record.source = source;
  record.input_dt = record.dt;
  if (record.unit != Unit::gal) {
    const double scale = gal_per_unit(record.unit);
    for (double& value : record.acc) value *= scale;
  }
  return record;
}

Record read_record_file(const std::string& path, const ReadOptions& options) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    throw InputError(path + ": is a directory, not a record file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error = errno;
    throw InputError(path + ": cannot open (" +
                     (error != 0 ? std::strerror(error) : "unknown error") + ")");
  }
  return parse_record(in, path, options);
}

int time_decimals(const Record& record) {
  if (!(record.time_resolution > 0.0) || record.time_resolution >= 1.0) return 0;
  const double decimals = std::round(-std::log10(record.time_resolution));
  return static_cast<int>(std::fmin(decimals, 6.0));
}

double step_resolution(double dt) {
  double unit = 1.0;
  while (unit > 1e-9 && std::fabs(dt / unit - std::round(dt / unit)) > 1e-6) unit /= 10.0;
  return unit;
}

std::string describe_reading(const Record& record) {
  std::string text = std::string("read: ") + format_title(record);
  if (!record.component.empty()) text += ", component " + record.component;
  text += "; " + unit_words(record) + "\n";
  for (const std::string& correction : record.corrections) {
    text += "corrected on reading: " + correction + "\n";
  }
  for (const std::string& warning : record.warnings) text += "warning: " + warning + "\n";
  return text;
}

namespace readers {

std::optional<Unit> unit_named_in(const Line& line, const LineReader& lines) {
  try {
    return find_unit(line.text);
  } catch (const std::invalid_argument& error) {
    lines.fail(line.number, std::string("the line ") + error.what() + ": " + excerpt(line.text));
  }
}

void settle_unit(Record& record, std::optional<Unit> named, long line,
                 const ReadOptions& options, const LineReader& lines) {
  if (named && options.unit && *named != *options.unit) {
    lines.fail(line, std::string("the file names the unit ") + unit_name(*named) +
                         ", --units says " + unit_name(*options.unit));
  }
  if (named) {
    record.unit = *named;
    record.unit_origin = UnitOrigin::file;
  } else if (options.unit) {
    record.unit = *options.unit;
    record.unit_origin = UnitOrigin::option;
  } else {
    record.unit = Unit::gal;
    record.unit_origin = UnitOrigin::fallback;
  }
}

std::vector<std::string_view> split_blanks(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (true) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos == text.size()) return fields;
    const std::size_t begin = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t') ++pos;
    fields.push_back(text.substr(begin, pos - begin));
  }
}

std::vector<std::string_view> split_at(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = text.find(separator, begin);
    fields.push_back(trim_blanks(text.substr(begin, end - begin)));
    if (end == std::string_view::npos) return fields;
    begin = end + 1;
  }
}

bool starts_with_word(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

void require_samples(std::size_t count, long line, const LineReader& lines) {
  if (count == 0) lines.fail(line, "no values; at least 2 are needed");
  if (count == 1) lines.fail(line, "only 1 value; at least 2 are needed");
}

void limit_samples(std::size_t count, long line, const LineReader& lines,
                   const ReadOptions& options) {
  if (count <= options.max_samples) return;
  lines.fail(line, format("more than %zu samples: give --max-samples N for a longer record",
                          options.max_samples));
}

void limit_acceleration(double value, Unit unit, long line, const LineReader& lines) {
  const double gal = value * gal_per_unit(unit);
  if (std::fabs(gal) <= kMaxAcceleration) return;
  const std::string in_gal = unit == Unit::gal ? "" : format(" (%.4g gal)", gal);
  lines.fail(line, format("acceleration %.4g %s%s is beyond %g gal in magnitude: check the unit "
                          "of the values (--units)",
                          value, unit_name(unit), in_gal.c_str(), kMaxAcceleration));
}

}  // namespace readers
}  // namespace groundmotion
