// csv.h: the spectrum table as comma-separated text.
#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace check {

// A header line "frequency_hz,period_s,sa_gal,target_sa_gal,ratio", then
// one line per point in the order given, each value with 7 significant
// digits; lines ended by '\n'.
std::string format_csv(const std::vector<spectra::SpectrumPoint>& points);

}  // namespace check
