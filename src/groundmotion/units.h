// units.h: the units of acceleration a record may be written in, their
// names and their size in gal (cm/s²), the one unit every figure is
// computed in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace groundmotion {

enum class Unit { gal, g, m_s2 };

// The name used in options and reports: "gal", "g", "m/s2".
const char* unit_name(Unit unit);

// The size of one `unit` in gal: 1, 980.665 (standard gravity), 100.
double gal_per_unit(Unit unit);

// The names `--units` and `--output-units` accept, for usage texts:
// "gal|g|m/s2".
std::string unit_choices();

// The unit named exactly `name` (one of unit_choices()); throws
// std::invalid_argument naming the choices otherwise.
Unit parse_unit_name(std::string_view name);

// The acceleration unit a header or comment line names, as a word of its
// own, in brackets or not, any case: gal, cm/s2, cm/s^2, cm/s/s,
// cm/sec/sec, cm/sec2 (gal); g (g); m/s2, m/s^2, m/s/s, m/sec/sec (m/s2).
// A unit in brackets or parentheses ("(gal)", "[g]") decides over bare
// words. None when the line names no unit. Throws std::invalid_argument
// when it names two different ones in brackets, or, with none in
// brackets, two different ones as words.
std::optional<Unit> find_unit(std::string_view line);

}  // namespace groundmotion
