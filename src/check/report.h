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

// The period range of the mean ratio, s (both ends included).
constexpr double kMeanPeriodLow = 0.1;
constexpr double kMeanPeriodHigh = 4.0;

// A run of neighbouring grid points outside the band.
struct Excursion {
  std::size_t first = 0;  // index of the first point of the run
  std::size_t last = 0;   // index of the last point
  std::size_t worst = 0;  // index of the point farthest outside
};

// The band's details and the mean of the engineer's usual period range,
// over the compared points.
struct Comparison {
  double mean_ratio = 0.0;  // over kMeanPeriodLow ... kMeanPeriodHigh
  std::size_t mean_count = 0;   // points in that mean
  std::size_t below_count = 0;  // points with ratio < spectra::kBandLow
  std::size_t above_count = 0;  // points with ratio > spectra::kBandHigh
  std::vector<Excursion> below;  // runs below the band, by frequency
  std::vector<Excursion> above;  // runs above the band, by frequency
};

struct CheckResult {
  spectra::Record record;
  spectra::MotionSummary motion;
  spectra::Evaluation evaluation;  // spectrum, compared points, criteria and verdict
  Comparison comparison;
};

// Peaks below this or above the next are not plausible in gal: the report
// warns that the record may be in other units.
constexpr double kPlausiblePeakLow = 1.0;     // gal
constexpr double kPlausiblePeakHigh = 5000.0;  // gal

// The warning line (ended by '\n') for a record of peak acceleration
// `peak` gal outside the plausible peaks, or "" inside them.
std::string units_warning(double peak);

// Mean over 0.1-4 s and the runs outside the band of the compared points
// of `points` (the whole grid).
Comparison compare(const std::vector<spectra::SpectrumPoint>& points, const spectra::ComparedPoints& compared);

// Everything the report, the table and the picture show, for `options`
// (damping in (0, 1), range within the grid).
CheckResult run_check(spectra::Record record, const spectra::CriteriaOptions& options);

// The text report, lines ended by '\n': the record, its ground motion, its
// spectrum, the criteria and, last, the verdict line.
std::string format_report(const CheckResult& result);

// One line of the summary of several records: the file as given and its
// result, or nullptr when it could not be read.
struct SummaryRow {
  std::string file;
  const CheckResult* result = nullptr;
};

// The summary table of a run over several records: file, verdict, smallest,
// largest and mean ratio and SI ratio, one line a record.
std::string format_summary(const std::vector<SummaryRow>& rows);

}  // namespace check
