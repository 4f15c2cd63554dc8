// figures.h: the drawings of a record, one code for the picture file of
// seedacc-check --svg and for the figures of the HTML page.
#pragma once

#include <string>
#include <vector>

#include "criteria.h"
#include "motion.h"
#include "record.h"

namespace page {

// What the drawings of one record read; every pointer is set.
struct RecordView {
  const groundmotion::Record* record;
  const groundmotion::MotionSummary* motion;
  const groundmotion::Evaluation* evaluation;
};

// One drawing: its size in SVG user units and its elements. Ids of its
// elements begin with the prefix it was drawn with, so that several
// records can share one page.
struct Figure {
  double width = 0.0;
  double height = 0.0;
  std::string kind;   // "histories", "husid" or "spectrum"
  std::string title;  // plain text, not yet escaped
  std::string body;   // SVG elements
};

// The time histories on one time axis, one panel each, with the peak of
// each marked and written: acceleration (polyline id prefix + "history",
// at most two points a pixel column, the smallest and largest sample in
// time order, so that the envelope is kept), velocity and displacement
// (integrated from rest by the trapezoidal rule, as the report's peaks).
// With `seed` (not null), the seed's acceleration comes first, on its own
// scale.
Figure histories_figure(const RecordView& view, const groundmotion::Record* seed,
                        const std::string& prefix);

// The Husid plot: the Arias intensity over time divided by its final
// value, with the 5 %, 75 % and 95 % times marked and D5-95 and D5-75
// written as the report writes them.
Figure husid_figure(const RecordView& view, const std::string& prefix);

// The spectrum against the target on logarithmic axes, frequency (Hz)
// below and period (s) above: the record's Sa (id prefix + "computed-sa"),
// the target for the damping (prefix + "target-sa"), the band the chosen
// sets allow each ratio shaded (prefix + "band"; us: 0.90 to 1.30 of the
// target, jp: at least 0.85), the points not compared shaded grey, the
// Nyquist frequency marked (prefix + "nyquist") when it falls inside; the
// verdict of each set and the ratio figures above. Below it, on the same
// frequency axis, the ratio Sa / target at the compared points (prefix +
// "ratio") on a linear axis with every limit of the chosen sets and 1
// drawn and every point outside the band circled (group prefix +
// "outside-band"), the Nyquist frequency marked again (prefix +
// "nyquist-ratio").
Figure spectrum_figure(const RecordView& view, const std::string& prefix);

// A standalone SVG document (XML declaration, white background, `title`
// as its title and heading) with `figures` one below the other.
std::string svg_document(const std::string& title, const std::vector<Figure>& figures);

// `figure` as an SVG element to be placed inside an HTML page, scaled to
// the width of its container, its kind as its class.
std::string inline_svg(const Figure& figure);

}  // namespace page
