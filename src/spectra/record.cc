// record.cc: reading a ground-motion record file (see record.h).
#include "record.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace spectra {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// A short, printable excerpt of a line for an error message.
std::string excerpt(std::string_view line) {
  constexpr std::size_t kMaxShown = 40;
  std::string shown;
  for (char c : line.substr(0, kMaxShown)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte < 0x20 || byte == 0x7f) ? '?' : c;
  }
  if (line.size() > kMaxShown) shown += "...";
  return "\"" + shown + "\"";
}

std::string format_time(double seconds) {
  std::ostringstream text;
  text.precision(10);
  text << seconds;
  return text.str();
}

[[noreturn]] void fail(const std::string& source, long line,
                       const std::string& message) {
  throw InputError(source + ":" + std::to_string(line) + ": " + message);
}

// One parsed data line.
struct Sample {
  long line;
  double time;
  double time_unit;  // unit of the last printed digit of the time
  double acc;
};

// The tolerance of a time printed to `unit`: half of it, with a margin of
// 1e-6 of it for the binary representation.
double half_unit(double unit) { return 0.5 * unit * (1.0 + 1e-6); }

// Checks the time column and fills dt, start_time and time_resolution.
void check_spacing(const std::vector<Sample>& samples,
                   const std::string& source, Record& record) {
  const std::size_t count = samples.size();
  const double first = samples.front().time;
  const double last = samples.back().time;
  if (!(last > first)) {
    fail(source, samples[1].line,
         "times do not increase (" + format_time(first) + " s, then " +
             format_time(samples[1].time) + " s)");
  }
  const double dt = (last - first) / static_cast<double>(count - 1);
  const auto spacing_fault = [&](std::size_t i, double expected, double tolerance) {
    fail(source, samples[i].line,
         "time " + format_time(samples[i].time) +
             " s breaks the equal spacing of the times (dt " + format_time(dt) +
             " s, expected " + format_time(expected) + " s within " +
             format_time(tolerance) + " s)");
  };
  // Steps first, so that a missing or repeated sample is reported where it
  // is, then the offsets from the first time, which catch a slow drift and
  // a gap beside a time printed with fewer digits ("1" among "0.99",
  // "1.01"). Each time is held to its own printed digits: a step to the
  // coarser of its two ends, an offset to the time's own.
  for (std::size_t i = 1; i < count; ++i) {
    const double step = samples[i].time - samples[i - 1].time;
    const double unit = std::max(samples[i - 1].time_unit, samples[i].time_unit);
    if (std::fabs(step - dt) > half_unit(unit)) {
      spacing_fault(i, samples[i - 1].time + dt, 0.5 * unit);
    }
  }
  for (std::size_t i = 1; i < count; ++i) {
    const double expected = first + static_cast<double>(i) * dt;
    if (std::fabs(samples[i].time - expected) > half_unit(samples[i].time_unit)) {
      spacing_fault(i, expected, 0.5 * samples[i].time_unit);
    }
  }
  record.start_time = first;
  record.dt = dt;
}

}  // namespace

bool parse_number(std::string_view text, double& value, double& resolution) {
  text = trim(text);
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Mantissa: digits, optionally a point and more digits.
  std::string normal;  // the number rewritten for from_chars
  int mantissa_digits = 0;
  int fraction_digits = 0;
  while (pos < text.size() && is_digit(text[pos])) {
    normal += text[pos++];
    ++mantissa_digits;
  }
  if (pos < text.size() && text[pos] == '.') {
    normal += text[pos++];
    while (pos < text.size() && is_digit(text[pos])) {
      normal += text[pos++];
      ++mantissa_digits;
      ++fraction_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  // Exponent: a letter, or the exponent's sign alone.
  long exponent = 0;
  if (pos < text.size()) {
    const char mark = text[pos];
    const bool letter = mark == 'E' || mark == 'e' || mark == 'D' || mark == 'd';
    if (!letter && mark != '+' && mark != '-') return false;
    if (letter) ++pos;
    bool exponent_negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      exponent_negative = text[pos] == '-';
      ++pos;
    }
    const std::size_t digits_begin = pos;
    while (pos < text.size() && is_digit(text[pos])) {
      if (exponent < 100000) exponent = exponent * 10 + (text[pos] - '0');
      ++pos;
    }
    if (pos == digits_begin || pos != text.size()) return false;
    if (exponent_negative) exponent = -exponent;
  }
  normal += 'e';
  normal += std::to_string(exponent);
  double magnitude = 0.0;
  const auto result =
      std::from_chars(normal.data(), normal.data() + normal.size(), magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    // An underflow reads as zero; an overflow is not a usable number.
    if (exponent > 0) return false;
    magnitude = 0.0;
  } else if (result.ec != std::errc() ||
             result.ptr != normal.data() + normal.size() ||
             !std::isfinite(magnitude)) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  resolution = std::pow(10.0, static_cast<double>(exponent - fraction_digits));
  return true;
}

Record parse_record(std::istream& in, const std::string& source) {
  Record record;
  record.source = source;
  std::vector<Sample> samples;
  std::string line;
  long line_number = 0;
  double finest = 0.0;
  bool first_content = true;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A UTF-8 byte-order mark, as some editors and spreadsheets begin a
    // file with, is not part of the first line.
    if (line_number == 1 && line.rfind(kByteOrderMark, 0) == 0) {
      line.erase(0, sizeof kByteOrderMark - 1);
    }
    const std::string_view content = trim(line);
    if (content.empty()) continue;
    if (first_content) {
      first_content = false;
      const char first = content.front();
      if (!is_digit(first) && first != '+' && first != '-' && first != '.') {
        record.has_header = true;
        continue;
      }
    }
    const std::size_t comma = content.find(',');
    double time = 0.0;
    double acc = 0.0;
    double time_unit = 0.0;
    double acc_unit = 0.0;
    if (comma == std::string_view::npos ||
        !parse_number(content.substr(0, comma), time, time_unit) ||
        !parse_number(content.substr(comma + 1), acc, acc_unit)) {
      fail(source, line_number,
           "expected two numbers separated by a comma (time,acceleration), "
           "found " + excerpt(content));
    }
    finest = samples.empty() ? time_unit : std::min(finest, time_unit);
    samples.push_back({line_number, time, time_unit, acc});
  }
  if (in.bad()) throw InputError(source + ": read error");
  if (line_number == 0) fail(source, 1, "the file is empty");
  if (samples.size() < 2) {
    fail(source, line_number + 1,
         samples.empty() ? std::string("no records; at least 2 are needed")
                         : std::string("only 1 record; at least 2 are needed"));
  }
  record.time_resolution = finest;
  check_spacing(samples, source, record);
  record.acc.reserve(samples.size());
  for (const Sample& sample : samples) record.acc.push_back(sample.acc);
  return record;
}

Record read_record_file(const std::string& path) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    throw InputError(path + ": is a directory, not a record file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error = errno;
    throw InputError(path + ": cannot open (" +
                     (error != 0 ? std::strerror(error) : "unknown error") +
                     ")");
  }
  return parse_record(in, path);
}

int time_decimals(const Record& record) {
  if (!(record.time_resolution > 0.0) || record.time_resolution >= 1.0) return 0;
  const double decimals = std::round(-std::log10(record.time_resolution));
  return static_cast<int>(std::fmin(decimals, 6.0));
}

}  // namespace spectra
