// svg.h: the picture of a checked record (--svg).
#pragma once

#include <string>

#include "canvas.h"
#include "figures.h"
#include "report.h"

namespace check {

// The drawings' view of a checked record: points into `result`.
page::RecordView view_of(const CheckResult& result);

// A self-contained SVG document: the record's file name as its title, then
// the drawings of the HTML page one below the other (page::record_figures:
// the time histories, the Husid plot, the spectrum against the target with
// the ratio panel below it), with the element ids those give without a
// prefix ("history", "computed-sa", "target-sa", "band", "ratio",
// "outside-band", "nyquist", "nyquist-ratio").
std::string format_svg(const CheckResult& result);

using page::xml_escape;

}  // namespace check
