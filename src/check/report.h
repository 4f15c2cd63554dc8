// report.h: a record checked against the target spectrum, and its report.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "criteria.h"
#include "motion.h"
#include "record.h"

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

struct Comparison {
  std::size_t lowest = 0;   // index of the smallest ratio
  std::size_t highest = 0;  // index of the largest ratio
  double mean_ratio = 0.0;  // over kMeanPeriodLow ... kMeanPeriodHigh
  std::size_t mean_count = 0;   // points in that mean
  std::size_t below_count = 0;  // points with ratio < kBandLow
  std::size_t above_count = 0;  // points with ratio > kBandHigh
  std::vector<Excursion> below;  // runs below the band, by frequency
  std::vector<Excursion> above;  // runs above the band, by frequency
  bool pass = false;             // no point outside the band
};

struct CheckResult {
  Record record;
  double damping = 0.0;
  MotionSummary motion;
  std::vector<SpectrumPoint> spectrum;  // by increasing frequency
  Comparison comparison;
};

// Smallest and largest ratio, mean over 0.1-4 s and the acceptance verdict
// of `points` (not empty).
Comparison compare(const std::vector<SpectrumPoint>& points);

// Everything the report, the table and the picture show, for damping ratio
// `damping` in (0, 1).
CheckResult run_check(Record record, double damping);

// The text report, lines ended by '\n'.
std::string format_report(const CheckResult& result);

}  // namespace check
