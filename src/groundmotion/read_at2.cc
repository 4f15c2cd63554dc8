// read_at2.cc: PEER NGA records, .AT2 (see record.h and the README).
//
// Rules:
// - Four header lines. The third names the unit ("UNITS OF G", "CM/S/S",
//   "CM/SEC/SEC"). The fourth gives NPTS and DT in one of the published
//   styles: "NPTS=  7814, DT=   .0050 SEC", "NPTS=   1451, dt=  .02000", or
//   "7814    0.0050    NPTS, DT" (the two numbers first).
// - Then the values, any number a line: separated by blanks (free format),
//   or, when that does not read, in fixed columns of 10 characters
//   (8F10.5), where a negative value may touch its neighbour.
// - NPTS must equal the count of values; DT must be above zero.
#include <cctype>
#include <cmath>

#include "readers.h"
#include "text.h"

namespace groundmotion::readers {
namespace {

constexpr std::size_t kHeaderLines = 4;
constexpr std::size_t kFixedWidth = 10;  // the columns of 8F10.5

// The number written after `key` (such as "NPTS=") in `text`, which is in
// upper case, up to a blank or a comma.
bool number_after(const std::string& text, const char* key, double& value) {
  std::size_t pos = text.find(key);
  if (pos == std::string::npos) return false;
  pos += std::char_traits<char>::length(key);
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  std::size_t end = pos;
  while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ',') ++end;
  return parse_number(std::string_view(text).substr(pos, end - pos), value);
}

// NPTS and DT from the fourth header line.
bool read_npts_dt(std::string_view line, double& npts, double& dt) {
  std::string text(line);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (text.find("NPTS=") != std::string::npos) {
    return number_after(text, "NPTS=", npts) && number_after(text, "DT=", dt);
  }
  const std::vector<std::string_view> fields = split_blanks(text);
  return fields.size() >= 2 && parse_number(fields[0], npts) && parse_number(fields[1], dt);
}

// The values of one line, free format or in columns of 10; false when
// neither reads.
bool read_values(std::string_view text, std::vector<double>& values) {
  const std::size_t before = values.size();
  double value = 0.0;
  bool free_format = true;
  for (const std::string_view field : split_blanks(text)) {
    if (!parse_number(field, value)) {
      free_format = false;
      break;
    }
    values.push_back(value);
  }
  if (free_format) return true;
  values.resize(before);
  const std::string_view content = text.substr(0, text.find_last_not_of(" \t") + 1);
  for (std::size_t begin = 0; begin < content.size(); begin += kFixedWidth) {
    if (!parse_number(content.substr(begin, kFixedWidth), value)) {
      values.resize(before);
      return false;
    }
    values.push_back(value);
  }
  return true;
}

}  // namespace

Record read_at2(LineReader& lines, const ReadOptions& options) {
  Record record;
  Line header[kHeaderLines];
  for (std::size_t i = 0; i < kHeaderLines; ++i) {
    if (!lines.next(header[i])) {
      lines.fail(lines.line_number() + 1,
                 "a PEER NGA file begins with 4 header lines, this one ends after " +
                     std::to_string(lines.line_number()));
    }
  }
  settle_unit(record, unit_named_in(header[2], lines), header[2].number, options, lines);
  double npts = 0.0;
  double dt = 0.0;
  if (!read_npts_dt(header[3].text, npts, dt)) {
    lines.fail(header[3].number,
               "expected NPTS and DT (as \"NPTS=  7814, DT=   .0050 SEC\" or "
               "\"7814    0.0050    NPTS, DT\"), found " + excerpt(header[3].text));
  }
  if (!(npts >= 0.0 && npts == std::floor(npts)) || !(dt > 0.0)) {
    lines.fail(header[3].number,
               "NPTS must be a whole number and DT above 0, found " + excerpt(header[3].text));
  }
  Line line;
  while (lines.next(line)) {
    const std::size_t before = record.acc.size();
    if (!read_values(line.text, record.acc)) {
      lines.fail(line.number,
                 "expected values separated by blanks or in columns of 10 characters, found " +
                     excerpt(line.text));
    }
    limit_samples(record.acc.size(), line.number, lines, options);
    for (std::size_t i = before; i < record.acc.size(); ++i) {
      limit_acceleration(record.acc[i], record.unit, line.number, lines);
    }
  }
  if (static_cast<double>(record.acc.size()) != npts) {
    lines.fail(header[3].number, format("NPTS is %.0f", npts) +
                                     " but " + std::to_string(record.acc.size()) +
                                     " values follow the header");
  }
  require_samples(record.acc.size(), lines.line_number() + 1, lines);
  record.dt = dt;
  record.time_resolution = step_resolution(dt);
  return record;
}

}  // namespace groundmotion::readers
