// svg.h: a picture of a checked record.
#pragma once

#include <string>

#include "report.h"

namespace check {

// A self-contained SVG document of 900 x 820 pixels with three panels:
// - top: the acceleration history (gal against s), drawn as the polyline
//   with id "history" (at most two points per pixel column: the smallest
//   and largest sample in it, in time order, so the envelope of the record
//   is kept);
// - middle: the computed pseudo-acceleration spectrum (id "computed-sa")
//   and the target spectrum for the damping (id "target-sa"), on
//   logarithmic period and acceleration axes, with a frequency axis (Hz)
//   along the top, the band from 0.9 to 1.3 times the target shaded (id
//   "band"), a legend and the verdict;
// - bottom: the ratio Sa / target at the compared points on a linear axis
//   (id "ratio"), lines at 0.9, 1.0 and 1.3, and a circle on each compared
//   point outside the band (group "outside-band").
// The Nyquist frequency is marked in the lower two (ids "nyquist" and
// "nyquist-ratio") when it falls inside the plotted periods. Every panel
// has ticks and labels with units. Text taken from the record (its file
// name) is escaped for XML; bytes that are not valid UTF-8, and control
// characters, are shown as '?'.
std::string format_svg(const CheckResult& result);

// `text` made safe as XML character data or attribute value.
std::string xml_escape(const std::string& text);

}  // namespace check
