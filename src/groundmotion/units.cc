// units.cc: units of acceleration (see units.h).
#include "units.h"

#include <cctype>
#include <stdexcept>

#include "motion.h"
#include "text.h"

namespace groundmotion {
namespace {

struct Spelling {
  const char* word;  // lower case
  Unit unit;
};

constexpr Spelling kSpellings[] = {
    {"gal", Unit::gal},        {"cm/s2", Unit::gal},     {"cm/s^2", Unit::gal},
    {"cm/s/s", Unit::gal},     {"cm/sec/sec", Unit::gal}, {"cm/sec2", Unit::gal},
    {"cm/sec^2", Unit::gal},   {"g", Unit::g},           {"m/s2", Unit::m_s2},
    {"m/s^2", Unit::m_s2},     {"m/s/s", Unit::m_s2},    {"m/sec/sec", Unit::m_s2},
    {"m/sec2", Unit::m_s2},    {"m/sec^2", Unit::m_s2},
};

constexpr Unit kUnits[] = {Unit::gal, Unit::g, Unit::m_s2};

// Characters that belong to a unit's word; anything else (blanks, brackets,
// commas, '#') separates words.
bool in_word(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '^';
}

}  // namespace

const char* unit_name(Unit unit) {
  switch (unit) {
    case Unit::g: return "g";
    case Unit::m_s2: return "m/s2";
    case Unit::gal: break;
  }
  return "gal";
}

double gal_per_unit(Unit unit) {
  switch (unit) {
    case Unit::g: return kGravity;
    case Unit::m_s2: return 100.0;
    case Unit::gal: break;
  }
  return 1.0;
}

std::string unit_choices() { return choices_text(kUnits, unit_name); }

Unit parse_unit_name(std::string_view name) { return parse_choice(name, kUnits, unit_name, "unit"); }

std::optional<Unit> find_unit(std::string_view line) {
  // Units in brackets first; bare words only when no bracket holds one.
  std::optional<Unit> found[2];  // [0] bare, [1] in brackets
  std::size_t pos = 0;
  while (pos < line.size()) {
    if (!in_word(line[pos])) {
      ++pos;
      continue;
    }
    const std::size_t begin = pos;
    std::string word;
    while (pos < line.size() && in_word(line[pos])) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(line[pos++])));
    }
    const bool bracketed = begin > 0 && (line[begin - 1] == '(' || line[begin - 1] == '[') &&
                           pos < line.size() && (line[pos] == ')' || line[pos] == ']');
    for (const Spelling& spelling : kSpellings) {
      if (word != spelling.word) continue;
      std::optional<Unit>& slot = found[bracketed ? 1 : 0];
      if (slot && *slot != spelling.unit && (bracketed || !found[1])) {
        throw std::invalid_argument(std::string("names two units, ") + unit_name(*slot) +
                                    " and " + unit_name(spelling.unit));
      }
      if (!slot) slot = spelling.unit;
    }
  }
  return found[1] ? found[1] : found[0];
}

}  // namespace groundmotion
