// csv.h: the spectrum table as comma-separated text.
#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace check {

// The spectrum table of `evaluation`: a comment line "# target: " naming
// its target in words with the rule by which it meets the damping, a
// header line "frequency_hz,period_s,sa_gal,target_sa_gal,ratio", then one
// line per point of evaluation.points, each value with 7 significant
// digits; lines ended by '\n'.
std::string format_csv(const groundmotion::Evaluation& evaluation);

}  // namespace check
