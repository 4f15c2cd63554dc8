// read_columns.cc: text in columns (see record.h and the README).
//
// Rules:
// - Blank lines are skipped; a line whose first non-blank character is '#'
//   is a comment. The first other line is a header when its first
//   non-blank character cannot begin a number (a digit, a sign or a point).
//   A comment or the header may name the unit (units.h) and declare the
//   step ("dt = 0.01", "SAMPLING RATE= 100Hz").
// - Every other line holds the same number of fields: separated by ';'
//   when the line has one, else by ',' when it has one, else by blanks.
//   Two fields are time (s) and acceleration; one field is a value alone,
//   the step then given by ReadOptions::dt or declared by the file (both:
//   they must agree). Numbers as number.h reads them.
// - At least 2 samples. Times must be equally spaced: dt is (last time -
//   first time) / (n - 1). Each time is held to its own printed digits
//   ("15" to +-0.5 s, "14.99" to +-0.005 s): every step between
//   neighbouring times within half a unit of the coarser of its two times'
//   last digits, and every time's offset from first time + i dt within half
//   a unit of its own, each plus a margin of 1e-6 of that unit for the
//   binary representation. The largest fault is reported, at its line. A
//   declared step must agree with the time column's.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>

#include "readers.h"

namespace groundmotion::readers {
namespace {

struct Sample {
  long line;
  double time;
  double time_unit;  // unit of the last printed digit of the time
  double acc;
};

std::string format_time(double seconds) {
  std::ostringstream text;
  text.precision(10);
  text << seconds;
  return text.str();
}

// The tolerance of a time printed to `unit`: half of it, with a margin of
// 1e-6 of it for the binary representation.
double half_unit(double unit) { return 0.5 * unit * (1.0 + 1e-6); }

// A time that is off: the sample, the time expected, the tolerance.
struct Deviation {
  std::size_t index = 0;
  double expected = 0.0;
  double tolerance = 0.0;
  double excess = 0.0;  // deviation over tolerance; > 1 is a fault
  std::size_t count = 0;  // faults of this kind
};

void note_deviation(Deviation& worst, std::size_t index, double deviation,
                    double expected, double unit) {
  const double excess = deviation / half_unit(unit);
  if (excess <= 1.0) return;
  ++worst.count;
  if (excess > worst.excess) {
    worst.index = index;
    worst.expected = expected;
    worst.tolerance = 0.5 * unit;
    worst.excess = excess;
  }
}

// Checks the time column and fills dt and start_time.
void check_spacing(const std::vector<Sample>& samples, const LineReader& lines,
                   Record& record) {
  const std::size_t count = samples.size();
  const double first = samples.front().time;
  const double last = samples.back().time;
  if (!(last > first)) {
    lines.fail(samples[1].line, "times do not increase (" + format_time(first) +
                                    " s, then " + format_time(samples[1].time) + " s)");
  }
  const double dt = (last - first) / static_cast<double>(count - 1);
  const auto report = [&](const Deviation& worst, const char* kind) {
    const Sample& sample = samples[worst.index];
    lines.fail(sample.line,
               "time " + format_time(sample.time) +
                   " s breaks the equal spacing of the times (dt " + format_time(dt) +
                   " s, expected " + format_time(worst.expected) + " s within " +
                   format_time(worst.tolerance) + " s); the largest deviation in the file, " +
                   format_time(std::fabs(sample.time - worst.expected)) + " s (" +
                   std::to_string(worst.count) + " " + kind + " off)");
  };
  // Steps first, so that a missing or repeated sample is reported where it
  // is, then the offsets from the first time, which catch a slow drift and
  // a gap beside a time printed with fewer digits ("1" among "0.99",
  // "1.01"). Each time is held to its own printed digits: a step to the
  // coarser of its two ends, an offset to the time's own.
  Deviation steps;
  for (std::size_t i = 1; i < count; ++i) {
    const double step = samples[i].time - samples[i - 1].time;
    const double unit = std::max(samples[i - 1].time_unit, samples[i].time_unit);
    note_deviation(steps, i, std::fabs(step - dt), samples[i - 1].time + dt, unit);
  }
  if (steps.count > 0) report(steps, steps.count == 1 ? "step" : "steps");
  Deviation offsets;
  for (std::size_t i = 1; i < count; ++i) {
    const double expected = first + static_cast<double>(i) * dt;
    note_deviation(offsets, i, std::fabs(samples[i].time - expected), expected,
                   samples[i].time_unit);
  }
  if (offsets.count > 0) report(offsets, offsets.count == 1 ? "time" : "times");
  record.start_time = first;
  record.dt = dt;
}

bool can_begin_number(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The number that begins `text` after at most `skip` other characters,
// written with the characters `allowed`; false when there is none.
bool number_at(std::string_view text, std::size_t skip, const char* allowed, double& value) {
  std::size_t begin = 0;
  while (begin < text.size() && begin < skip && !(text[begin] >= '0' && text[begin] <= '9') &&
         text[begin] != '.') {
    ++begin;
  }
  std::size_t end = begin;
  while (end < text.size() && std::strchr(allowed, text[end]) != nullptr) ++end;
  return end > begin && parse_number(text.substr(begin, end - begin), value) && value > 0.0;
}

// The step a header or comment line declares: "dt = 0.01", "DT: 0.005 s",
// "SAMPLING RATE= 100Hz", "sampling frequency 200 Hz"; false when none.
bool declared_step(std::string_view line, double& dt) {
  std::string text(line);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t pos = text.find("dt"); pos != std::string::npos; pos = text.find("dt", pos + 1)) {
    if (pos > 0 && std::isalnum(static_cast<unsigned char>(text[pos - 1]))) continue;
    std::size_t at = pos + 2;
    while (at < text.size() && text[at] == ' ') ++at;
    if (at < text.size() && (text[at] == '=' || text[at] == ':') &&
        number_at(std::string_view(text).substr(at + 1), 4, "0123456789.+-e", dt)) {
      return true;
    }
  }
  for (const char* phrase : {"sampling rate", "sampling freq"}) {
    const std::size_t pos = text.find(phrase);
    double rate = 0.0;
    if (pos != std::string::npos &&
        number_at(std::string_view(text).substr(pos + std::strlen(phrase)), 16, "0123456789.", rate)) {
      dt = 1.0 / rate;
      return true;
    }
  }
  return false;
}

std::vector<std::string_view> data_fields(std::string_view content) {
  if (content.find(';') != std::string_view::npos) return split_at(content, ';');
  if (content.find(',') != std::string_view::npos) return split_at(content, ',');
  return split_blanks(content);
}

// What the header and comment lines of a column file say: the unit they
// name and the step they declare, each with the line that first says it;
// a later line that says otherwise is an error at that line.
struct ColumnNotes {
  std::optional<Unit> unit;
  long unit_line = 0;
  std::optional<double> step;  // s
  long step_line = 0;

  void read(const Line& line, const LineReader& lines) {
    const std::optional<Unit> named = unit_named_in(line, lines);
    if (named && unit && *named != *unit) {
      lines.fail(line.number, std::string("the unit ") + unit_name(*named) +
                                  " contradicts the unit " + unit_name(*unit) +
                                  " named on line " + std::to_string(unit_line));
    }
    if (named && !unit) {
      unit = named;
      unit_line = line.number;
    }
    double declared = 0.0;
    if (!declared_step(line.text, declared)) return;
    if (step && std::fabs(*step - declared) > kStepAgreement * declared) {
      lines.fail(line.number, "the step " + format_time(declared) + " s contradicts the step " +
                                  format_time(*step) + " s declared on line " +
                                  std::to_string(step_line));
    }
    if (!step) {
      step = declared;
      step_line = line.number;
    }
  }
};

// The record of a file of one column of `values`, its unit settled: the
// step is --dt's or the one the file declares. `end` is the line after the
// last.
Record one_column_record(Record record, std::vector<double> values, const ColumnNotes& notes,
                         const ReadOptions& options, long end, const LineReader& lines) {
  if (notes.step && options.dt > 0.0 &&
      std::fabs(*notes.step - options.dt) > kStepAgreement * options.dt) {
    lines.fail(notes.step_line, "the file declares the step " + format_time(*notes.step) +
                                    " s, --dt says " + format_time(options.dt) + " s");
  }
  require_samples(values.size(), end, lines);
  // Each value was held to the unit named before it; a unit named after
  // some of them holds them too, and the fault is told at its line.
  if (notes.unit) {
    for (const double value : values) limit_acceleration(value, record.unit, notes.unit_line, lines);
  }
  record.one_column = true;
  record.dt_declared = !(options.dt > 0.0);
  record.dt = record.dt_declared ? *notes.step : options.dt;
  record.time_resolution = step_resolution(record.dt);
  record.acc = std::move(values);
  return record;
}

// The record of a file of time and acceleration `samples`, its unit
// settled: the step is the time column's, `finest` the finest unit of its
// times. `end` is the line after the last.
Record two_column_record(Record record, const std::vector<Sample>& samples, double finest,
                         const ColumnNotes& notes, long end, const LineReader& lines) {
  if (samples.size() < 2) {
    lines.fail(end, samples.empty() ? std::string("no records; at least 2 are needed")
                                    : std::string("only 1 record; at least 2 are needed"));
  }
  for (const Sample& sample : samples) limit_acceleration(sample.acc, record.unit, sample.line, lines);
  record.time_resolution = finest;
  check_spacing(samples, lines, record);
  if (notes.step && std::fabs(*notes.step - record.dt) > kStepAgreement * record.dt) {
    lines.fail(notes.step_line, "the file declares the step " + format_time(*notes.step) +
                                    " s, but its time column steps by " +
                                    format_time(record.dt) + " s");
  }
  record.acc.reserve(samples.size());
  for (const Sample& sample : samples) record.acc.push_back(sample.acc);
  return record;
}

}  // namespace

Record read_columns(LineReader& lines, const ReadOptions& options) {
  Record record;
  std::vector<Sample> samples;
  std::vector<double> values;  // one column
  ColumnNotes notes;
  std::size_t columns = 0;
  bool first_content = true;
  double finest = 0.0;
  Line line;
  while (lines.next(line)) {
    const std::string_view content = trim_blanks(line.text);
    if (content.empty()) continue;
    if (content.front() == '#') {
      notes.read(line, lines);
      continue;
    }
    if (first_content) {
      first_content = false;
      if (!can_begin_number(content.front())) {
        record.has_header = true;
        notes.read(line, lines);
        continue;
      }
    }
    const std::vector<std::string_view> fields = data_fields(content);
    if (columns == 0) columns = fields.size();
    if (columns == 1 && !(options.dt > 0.0) && !notes.step) {
      lines.fail(line.number, "one column of values: give their time step with --dt");
    }
    double time = 0.0;
    double acc = 0.0;
    double time_unit = 0.0;
    const bool numbers =
        fields.size() == columns &&
        (columns == 1 ? parse_number(fields[0], acc)
                      : columns == 2 && parse_number(fields[0], time, time_unit) &&
                            parse_number(fields[1], acc));
    if (!numbers) {
      lines.fail(line.number,
                 columns == 1 ? "expected one number, found " + excerpt(content)
                              : "expected two numbers, time and acceleration, separated "
                                "by a comma, a semicolon, blanks or a tab, found " +
                                    excerpt(content));
    }
    if (columns == 1) {
      // The unit so far: a later line may still name one.
      limit_acceleration(acc, notes.unit ? *notes.unit : options.unit.value_or(Unit::gal),
                         line.number, lines);
      values.push_back(acc);
      limit_samples(values.size(), line.number, lines, options);
      continue;
    }
    finest = samples.empty() ? time_unit : std::min(finest, time_unit);
    samples.push_back({line.number, time, time_unit, acc});
    limit_samples(samples.size(), line.number, lines, options);
  }
  if (lines.line_number() == 0) lines.fail(1, "the file is empty");
  settle_unit(record, notes.unit, notes.unit_line, options, lines);
  const long end = lines.line_number() + 1;
  if (columns == 1) {
    return one_column_record(std::move(record), std::move(values), notes, options, end, lines);
  }
  return two_column_record(std::move(record), samples, finest, notes, end, lines);
}

}  // namespace groundmotion::readers
