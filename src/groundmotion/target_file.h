// target_file.h: reading a target spectrum from a file.
//
// Two columns: the period in s (or the frequency in Hz) and Sa, separated
// by commas, semicolons, spaces or tabs; lines that begin with '#', and
// blank lines, are skipped; numbers as the record reader reads them
// (record.h). The first line that is neither may be a header, when its
// first non-blank character cannot begin a number: it names the first
// column (a word "period" or "T"; "frequency" or "Hz") and may give the
// unit of the second (a word g, gal, cm/s2 or m/s2, "^2" and "²" read as
// "2"). Without a unit there, the unit must be given apart
// (--target-units). Rows come in any order; a row at period 0 (the
// zero-period acceleration) is kept out of the table. A negative period,
// a zero or negative frequency, an Sa that is not above 0, a period given
// twice with two values, or a line that is not two numbers is a fault
// naming the line; so is a table of fewer than two periods above 0.
#pragma once

#include <istream>
#include <string>

#include "target.h"

namespace groundmotion {

// A unit of Sa and its factor to gal.
struct SaUnit {
  const char* name;
  double to_gal;
};

// The unit called `name` (g, gal, cm/s2, m/s2), or nullptr.
const SaUnit* find_sa_unit(const std::string& name);

// The unit names, "g, gal, cm/s2, m/s2", for messages.
std::string sa_unit_names();

// Reads the table from `in`, named `source` in messages; `units` is the
// unit given apart ("" when none). Throws InputError ("source:line: ...")
// for a fault of the file, TargetError when no unit is known or `units`
// contradicts the header's.
TargetTable parse_target_table(std::istream& in, const std::string& source,
                               const std::string& units);

// Opens `path` and parses it as above; a file that cannot be opened throws
// InputError naming it.
TargetTable read_target_file(const std::string& path, const std::string& units);

// Sa (gal) of `table` at `period` (s): log-log interpolation between its
// points, the value at the nearer end outside them.
double interpolate_table(const TargetTable& table, double period);

}  // namespace groundmotion
