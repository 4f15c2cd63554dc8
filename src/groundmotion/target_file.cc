// target_file.cc: reading a target spectrum from a file (see
// target_file.h).
#include "target_file.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "motion.h"
#include "line_reader.h"
#include "record.h"
#include "text.h"

namespace groundmotion {
namespace {

const SaUnit kUnits[] = {{"g", kGravity}, {"gal", 1.0}, {"cm/s2", 1.0}, {"m/s2", 100.0}};

// One point as read, with its line for messages.
struct Row {
  double period = 0.0;
  double value = 0.0;
  std::size_t line = 0;
};

// The fields of a line: separated by commas, semicolons, spaces or tabs
// (a run of them is one separator).
std::vector<std::string> split_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : line + " ") {
    if (c == ',' || c == ';' || c == ' ' || c == '\t') {
      if (!field.empty()) fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  return fields;
}

// The lower-case words of a header field: letters, digits and '/', with
// "^2" and "²" read as "2".
std::vector<std::string> words_of(std::string text) {
  for (const std::string_view squared : {"^2", "\xc2\xb2"}) {
    for (std::size_t at; (at = text.find(squared)) != std::string::npos;) {
      text.replace(at, squared.size(), "2");
    }
  }
  std::vector<std::string> words;
  std::string word;
  for (const char c : text + " ") {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '/') {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

bool has_word(const std::vector<std::string>& words, const char* wanted) {
  return std::find(words.begin(), words.end(), wanted) != words.end();
}

// What a header line says: whether the first column is frequency, and the
// unit of the second, if it names one.
struct Header {
  bool by_frequency = false;
  const SaUnit* unit = nullptr;
};

Header read_header(const std::string& line, const LineReader& reader) {
  // Fields of a header may hold spaces ("Period (s)") unless nothing else
  // separates them.
  std::vector<std::string> fields;
  if (line.find_first_of(",;\t") == std::string::npos) {
    fields = split_fields(line);
  } else {
    std::string field;
    for (const char c : line + ",") {
      if (c == ',' || c == ';' || c == '\t') {
        if (field.find_first_not_of(' ') != std::string::npos) fields.push_back(field);
        field.clear();
      } else {
        field += c;
      }
    }
  }
  if (fields.size() != 2) {
    reader.fail(reader.line_number(), "a header needs two columns, period or frequency and Sa");
  }
  const std::vector<std::string> first = words_of(fields[0]);
  Header header;
  header.by_frequency = has_word(first, "frequency") || has_word(first, "hz");
  if (!header.by_frequency && !has_word(first, "period") && !has_word(first, "t")) {
    reader.fail(reader.line_number(),
                "the first column's header must name the period (period, T) or the frequency "
                "(frequency, Hz), found " + excerpt(fields[0]));
  }
  for (const std::string& word : words_of(fields[1])) {
    if ((header.unit = find_sa_unit(word)) != nullptr) break;
  }
  return header;
}

// One row of numbers, or a fault naming the line.
Row read_row(const std::string& line, bool by_frequency, const LineReader& reader) {
  const std::vector<std::string> fields = split_fields(line);
  Row row;
  row.line = static_cast<std::size_t>(reader.line_number());
  double resolution = 0.0;
  if (fields.size() != 2 || !parse_number(fields[0], row.period, resolution) ||
      !parse_number(fields[1], row.value, resolution)) {
    reader.fail(reader.line_number(), std::string("expected two numbers, ") +
                                          (by_frequency ? "frequency" : "period") +
                                          " and Sa, found " + excerpt(line));
  }
  if (by_frequency) {
    if (!(row.period > 0.0)) {
      reader.fail(reader.line_number(), "a frequency must be above 0, found " + excerpt(fields[0]));
    }
    row.period = 1.0 / row.period;
  } else if (row.period < 0.0) {
    reader.fail(reader.line_number(), "a negative period, " + excerpt(fields[0]));
  }
  if (!(row.value > 0.0)) {
    reader.fail(reader.line_number(), "Sa must be above 0, found " + excerpt(fields[1]));
  }
  return row;
}

// The rows sorted by period, a repeated period with two values refused,
// one with the same value kept once.
std::vector<Row> sorted_rows(std::vector<Row> rows, const std::string& source) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Row& a, const Row& b) { return a.period < b.period; });
  std::vector<Row> kept;
  for (const Row& row : rows) {
    if (!kept.empty() && kept.back().period == row.period) {
      if (kept.back().value != row.value) {
        throw InputError(printable(source) + ":" + std::to_string(row.line) +
                         format(": period %g s given again with another Sa (line %zu)",
                                row.period, kept.back().line));
      }
      continue;
    }
    kept.push_back(row);
  }
  return kept;
}

}  // namespace

const SaUnit* find_sa_unit(const std::string& name) {
  for (const SaUnit& unit : kUnits) {
    if (name == unit.name) return &unit;
  }
  return nullptr;
}

std::string sa_unit_names() {
  std::string names;
  for (const SaUnit& unit : kUnits) names += (names.empty() ? "" : ", ") + std::string(unit.name);
  return names;
}

TargetTable parse_target_table(std::istream& in, const std::string& source,
                               const std::string& units) {
  TargetTable table;
  table.source = source;
  Header header;
  bool first = true;
  std::vector<Row> rows;
  LineReader reader(in, printable(source));
  for (Line line; reader.next(line);) {
    const std::size_t start = line.text.find_first_not_of(" \t");
    if (start == std::string::npos || line.text[start] == '#') continue;
    const char lead = line.text[start];
    if (first && !std::isdigit(static_cast<unsigned char>(lead)) && lead != '+' && lead != '-' &&
        lead != '.') {
      header = read_header(line.text, reader);
      first = false;
      continue;
    }
    first = false;
    const Row row = read_row(line.text, header.by_frequency, reader);
    if (row.period == 0.0) {
      ++table.zero_period_rows;
    } else {
      rows.push_back(row);
    }
  }
  rows = sorted_rows(std::move(rows), source);
  if (rows.size() < 2) {
    reader.fail(0, "a target needs at least two periods above 0, found " +
                       std::to_string(rows.size()));
  }
  const SaUnit* given = units.empty() ? nullptr : find_sa_unit(units);
  if (given != nullptr && header.unit != nullptr && given != header.unit) {
    throw TargetError("--target-units " + units + " contradicts the unit " + header.unit->name +
                      " in the header of " + printable(source));
  }
  const SaUnit* unit = given != nullptr ? given : header.unit;
  if (unit == nullptr) {
    throw TargetError("the target file " + printable(source) + " names no unit of Sa in a header: give it "
                      "with --target-units (" + sa_unit_names() + ")");
  }
  table.unit = unit->name;
  table.by_frequency = header.by_frequency;
  for (const Row& row : rows) {
    table.periods.push_back(row.period);
    table.values.push_back(row.value * unit->to_gal);
  }
  return table;
}

TargetTable read_target_file(const std::string& path, const std::string& units) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    throw InputError(printable(path) + ": is a folder, not a target file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(printable(path) + ": cannot open the target file");
  return parse_target_table(in, path, units);
}

double interpolate_table(const TargetTable& table, double period) {
  assert(table.periods.size() >= 2);
  const std::vector<double>& periods = table.periods;
  if (period <= periods.front()) return table.values.front();
  if (period >= periods.back()) return table.values.back();
  const std::size_t upper =
      static_cast<std::size_t>(std::upper_bound(periods.begin(), periods.end(), period) -
                               periods.begin());
  const std::size_t lower = upper - 1;
  const double weight = std::log(period / periods[lower]) / std::log(periods[upper] / periods[lower]);
  return table.values[lower] *
         std::exp(weight * std::log(table.values[upper] / table.values[lower]));
}

}  // namespace groundmotion
