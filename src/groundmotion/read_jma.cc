// read_jma.cc: JMA strong-motion CSV (see record.h and the README).
//
// Rules:
// - Header lines "KEY= value" (SITE CODE, LAT., LON., SAMPLING RATE,
//   UNIT, INITIAL TIME, ...): "SAMPLING RATE= 100Hz" gives the step,
//   "UNIT  = gal" the unit.
// - Then the line naming the components ("NS,EW,UD"), and one column each,
//   separated by commas.
// - ReadOptions::component picks one; without it, or when it names none
//   of them, an error lists the components found.
#include <algorithm>
#include <cctype>

#include "readers.h"

namespace groundmotion::readers {
namespace {

// "KEY= value": the key in upper case without its blanks, and the value.
bool key_value(std::string_view text, std::string& key, std::string_view& value) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return false;
  key.clear();
  for (const char c : text.substr(0, equals)) {
    if (c != ' ' && c != '\t') key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  value = trim_blanks(text.substr(equals + 1));
  return true;
}

std::string list(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

Record read_jma(LineReader& lines, const ReadOptions& options) {
  Record record;
  Line line;
  Line rate_line;
  std::optional<Unit> unit;
  long unit_line = 0;
  std::vector<std::string> components;
  while (lines.next(line)) {
    std::string key;
    std::string_view value;
    if (is_blank_line(line.text)) continue;
    if (!key_value(line.text, key, value)) {
      for (const std::string_view name : split_at(trim_blanks(line.text), ',')) {
        components.emplace_back(name);
      }
      break;
    }
    if (key == "SAMPLINGRATE") rate_line = line;
    if (key == "UNIT") {
      unit = unit_named_in(line, lines);
      unit_line = line.number;
    }
  }
  const long names_line = lines.line_number();
  if (components.empty()) lines.fail(names_line + 1, "no line naming the components (NS,EW,UD)");
  if (rate_line.number == 0) lines.fail(names_line, "no \"SAMPLING RATE=\" line before this one");
  std::string key;
  std::string_view rate_text;
  key_value(rate_line.text, key, rate_text);
  double rate = 0.0;
  const std::size_t hz = rate_text.find_first_not_of("0123456789.");
  if (!parse_number(rate_text.substr(0, hz), rate) || !(rate > 0.0)) {
    lines.fail(rate_line.number,
               "expected a sampling rate such as \"100Hz\", found " + excerpt(rate_text));
  }
  const auto chosen = std::find(components.begin(), components.end(), options.component);
  if (options.component.empty() || chosen == components.end()) {
    lines.fail(names_line, "the file holds the components " + list(components) +
                               (options.component.empty()
                                    ? std::string(": choose one with --component")
                                    : ", not " + options.component));
  }
  const std::size_t column = static_cast<std::size_t>(chosen - components.begin());
  record.component = options.component;
  settle_unit(record, unit, unit_line, options, lines);
  double value = 0.0;
  while (lines.next(line)) {
    if (is_blank_line(line.text)) continue;
    const std::vector<std::string_view> fields = split_at(line.text, ',');
    if (fields.size() != components.size() ||
        !std::all_of(fields.begin(), fields.end(),
                     [&value](std::string_view field) { return parse_number(field, value); })) {
      lines.fail(line.number, "expected " + std::to_string(components.size()) +
                                  " numbers separated by commas, found " + excerpt(line.text));
    }
    parse_number(fields[column], value);
    limit_acceleration(value, record.unit, line.number, lines);
    record.acc.push_back(value);
    limit_samples(record.acc.size(), line.number, lines, options);
  }
  require_samples(record.acc.size(), lines.line_number() + 1, lines);
  record.dt = 1.0 / rate;
  record.time_resolution = step_resolution(record.dt);
  return record;
}

}  // namespace groundmotion::readers
