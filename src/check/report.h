// report.h: a record checked against the target spectrum, and its report.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "criteria.h"
#include "motion.h"
#include "record.h"
#include "text.h"

namespace check {

struct CheckResult {
  groundmotion::Record record;
  groundmotion::MotionSummary motion;
  groundmotion::Evaluation evaluation;  // spectrum, compared points, criteria and verdicts
};

// Peaks below this or above the next are not plausible in gal: the report
// warns that the record may be in other units.
constexpr double kPlausiblePeakLow = 1.0;     // gal
constexpr double kPlausiblePeakHigh = 5000.0;  // gal

// The warning line (ended by '\n') for a record of peak acceleration
// `peak` gal outside the plausible peaks, or "" inside them.
std::string units_warning(double peak);

// Everything the report, the table and the picture show, for `options`
// (damping in (0, 1), range within the grid).
CheckResult run_check(groundmotion::Record record, const groundmotion::CriteriaOptions& options);

// The text report, lines ended by '\n': the record, its ground motion, its
// spectrum and, last, the criteria of each chosen set with its verdict line.
std::string format_report(const CheckResult& result);

// One line of the summary of several records: the file as given and its
// result, or nullptr when it could not be read.
struct SummaryRow {
  std::string file;
  const CheckResult* result = nullptr;
};

// The summary table of a run over several records: file, verdict of each
// set, smallest, largest and mean ratio and SI ratio, one line a record.
std::string format_summary(const std::vector<SummaryRow>& rows);

}  // namespace check
