// svg.h: a picture of a checked record.
#pragma once

#include <string>

#include "report.h"

namespace check {

// A self-contained SVG document of 900 x 600 pixels with two panels:
// - top: the acceleration history (gal against s), drawn as the polyline
//   with id "history" (at most two points per pixel column: the smallest
//   and largest sample in it, in time order, so the envelope of the record
//   is kept);
// - bottom: the computed pseudo-acceleration spectrum (id "computed-sa")
//   and the target spectrum (id "target-sa"), on logarithmic period and
//   acceleration axes, with the band from 0.9 to 1.3 times the target
//   shaded (id "band"), a legend and the verdict.
// Both panels have ticks and labels with units. Text taken from the record
// (its file name) is escaped for XML; bytes that are not valid UTF-8, and
// control characters, are shown as '?'.
std::string format_svg(const CheckResult& result);

// `text` made safe as XML character data or attribute value.
std::string xml_escape(const std::string& text);

}  // namespace check
