// read_knet.cc: K-NET and KiK-net ASCII records, .EW .NS .UD .EW1 .NS2 ...
// (see record.h and the README).
//
// Rules:
// - Header lines, each a label and its value, from "Origin Time" to
//   "Memo.": of them "Sampling Freq(Hz)" ("100Hz"), "Dir." ("N-S", "E-W",
//   "U-D", or KiK-net's "1" to "6") and "Scale Factor" ("7845(gal)/8223790")
//   are read; "Max. Acc. (gal)" is compared with the record.
// - Then integer counts, any number a line (eight as written).
// - Acceleration = count x the scale factor, minus the mean of the record
//   (the files carry uncorrected counts); said as a correction. A header
//   Max. Acc. that differs from the peak after that by more than 0.1 gal
//   gives a warning.
#include <cmath>

#include "readers.h"
#include "text.h"

namespace groundmotion::readers {
namespace {

constexpr double kMaxAccTolerance = 0.1;  // gal

struct Header {
  Line frequency;
  Line direction;
  Line scale;
  Line max_acc;
};

// The value after the label, when `line` begins with `label`.
bool labelled(const Line& line, const char* label, std::string_view& value) {
  const std::string_view text = trim_blanks(line.text);
  if (!starts_with_word(text, label)) return false;
  value = trim_blanks(text.substr(std::char_traits<char>::length(label)));
  return true;
}

std::string_view value_of(const Line& line, const char* label) {
  std::string_view value;
  labelled(line, label, value);
  return value;
}

Header read_header(LineReader& lines) {
  Header header;
  Line line;
  std::string_view value;
  while (lines.next(line)) {
    if (labelled(line, "Sampling Freq(Hz)", value)) header.frequency = line;
    if (labelled(line, "Dir.", value)) header.direction = line;
    if (labelled(line, "Scale Factor", value)) header.scale = line;
    if (labelled(line, "Max. Acc. (gal)", value)) header.max_acc = line;
    if (labelled(line, "Memo.", value)) return header;
  }
  lines.fail(lines.line_number() + 1, "the K-NET header ends without its \"Memo.\" line");
}

// The component of a "Dir." value: N-S, E-W, U-D; KiK-net's 1-6 (1 to 3
// in the borehole, 4 to 6 at the surface: NS, EW, UD each).
std::string component_of(std::string_view direction) {
  if (direction == "N-S" || direction == "1" || direction == "4") return "NS";
  if (direction == "E-W" || direction == "2" || direction == "5") return "EW";
  if (direction == "U-D" || direction == "3" || direction == "6") return "UD";
  return "";
}

// The scale factor "7845(gal)/8223790": gal a count, and the unit named.
double read_scale(const Line& line, const LineReader& lines, std::optional<Unit>& unit) {
  const std::string_view text = value_of(line, "Scale Factor");
  const std::size_t open = text.find('(');
  const std::size_t slash = text.find('/', text.find(')'));
  double numerator = 0.0;
  double denominator = 0.0;
  if (open == std::string_view::npos || slash == std::string_view::npos ||
      !parse_number(text.substr(0, open), numerator) ||
      !parse_number(text.substr(slash + 1), denominator) || !(numerator > 0.0) ||
      !(denominator > 0.0)) {
    lines.fail(line.number, "expected a scale factor such as \"7845(gal)/8223790\", found " +
                                excerpt(text));
  }
  unit = unit_named_in(Line{std::string(text.substr(open, slash - open)), line.number}, lines);
  return numerator / denominator;
}

}  // namespace

Record read_knet(LineReader& lines, const ReadOptions& options) {
  Record record;
  const Header header = read_header(lines);
  const long body = lines.line_number() + 1;
  const auto require = [&](const Line& line, const char* label) {
    if (line.number == 0) {
      lines.fail(body - 1, std::string("the K-NET header has no \"") + label + "\" line");
    }
  };
  require(header.frequency, "Sampling Freq(Hz)");
  require(header.direction, "Dir.");
  require(header.scale, "Scale Factor");
  const std::string_view frequency_text = value_of(header.frequency, "Sampling Freq(Hz)");
  double frequency = 0.0;
  const std::size_t hz = frequency_text.find_first_not_of("0123456789.");
  if (!parse_number(frequency_text.substr(0, hz), frequency) || !(frequency > 0.0)) {
    lines.fail(header.frequency.number,
               "expected a sampling frequency such as \"100Hz\", found " + excerpt(frequency_text));
  }
  record.component = component_of(value_of(header.direction, "Dir."));
  if (!options.component.empty() && options.component != record.component) {
    lines.fail(header.direction.number,
               "the file holds the component " +
                   (record.component.empty() ? std::string("named ") +
                                                   excerpt(value_of(header.direction, "Dir."))
                                             : record.component) +
                   ", not " + options.component);
  }
  std::optional<Unit> unit;
  const double scale = read_scale(header.scale, lines, unit);
  settle_unit(record, unit, header.scale.number, options, lines);
  record.scale = std::string(value_of(header.scale, "Scale Factor"));
  Line line;
  double count = 0.0;
  while (lines.next(line)) {
    for (const std::string_view field : split_blanks(line.text)) {
      if (!parse_number(field, count)) {
        lines.fail(line.number, "expected integer counts, found " + excerpt(field));
      }
      limit_acceleration(count * scale, record.unit, line.number, lines);
      record.acc.push_back(count * scale);
      limit_samples(record.acc.size(), line.number, lines, options);
    }
  }
  require_samples(record.acc.size(), lines.line_number() + 1, lines);
  double sum = 0.0;
  for (const double value : record.acc) sum += value;
  const double mean = sum / static_cast<double>(record.acc.size());
  double peak = 0.0;
  for (double& value : record.acc) {
    value -= mean;
    peak = std::max(peak, std::fabs(value));
  }
  record.corrections.push_back(
      format("the record's mean, %.6g %s, removed (the file holds uncorrected counts)", mean,
             unit_name(record.unit)));
  double max_acc = 0.0;
  if (header.max_acc.number != 0 &&
      parse_number(value_of(header.max_acc, "Max. Acc. (gal)"), max_acc) &&
      std::fabs(max_acc - peak * gal_per_unit(record.unit)) > kMaxAccTolerance) {
    record.warnings.push_back(format(
        "line %ld: Max. Acc. %.6g gal in the header, but the record's peak after removing "
        "the mean is %.6g gal",
        header.max_acc.number, max_acc, peak * gal_per_unit(record.unit)));
  }
  record.dt = 1.0 / frequency;
  record.time_resolution = step_resolution(record.dt);
  return record;
}

}  // namespace groundmotion::readers
