// report.cc: comparison with the target spectrum and the text report
// (see report.h).
#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <sstream>

#include "response.h"

namespace check {

namespace {

// Collects the runs of neighbouring indices for which `outside` holds;
// `badness` ranks the points of a run (larger is worse).
template <typename Outside, typename Badness>
std::vector<Excursion> find_excursions(const std::vector<spectra::SpectrumPoint>& points,
                                       Outside outside, Badness badness) {
  std::vector<Excursion> runs;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!outside(i)) continue;
    if (runs.empty() || runs.back().last + 1 != i) {
      runs.push_back({i, i, i});
    } else {
      Excursion& run = runs.back();
      run.last = i;
      if (badness(points[i]) > badness(points[run.worst])) run.worst = i;
    }
  }
  return runs;
}

// "T = 0.02-0.0331 s (worst 0.512 at 0.0204 s)" for each run, at most a few.
std::string describe_runs(const std::vector<spectra::SpectrumPoint>& points,
                          const std::vector<Excursion>& runs) {
  constexpr std::size_t kMaxRuns = 4;
  std::string text;
  for (std::size_t r = 0; r < runs.size() && r < kMaxRuns; ++r) {
    const Excursion& run = runs[r];
    // Runs are by increasing frequency, so their periods decrease.
    const double short_period = points[run.last].period;
    const double long_period = points[run.first].period;
    text += "\n    T ";
    text += run.first == run.last
                ? spectra::format("%.4g s", long_period)
                : spectra::format("%.4g-%.4g s", short_period, long_period);
    text += spectra::format(" (worst %.3f at %.4g s)", points[run.worst].ratio,
                   points[run.worst].period);
  }
  if (runs.size() > kMaxRuns) {
    text += spectra::format("\n    and %zu more ranges", runs.size() - kMaxRuns);
  }
  return text;
}

// One peak value and its time, printed with the record's own decimals.
std::string peak_line(const char* name, const spectra::Peak& peak, const char* unit,
                      int decimals) {
  return spectra::format("  %-22s %11.4g %-5s at %9.*f s\n", name, peak.value, unit,
                decimals, peak.time);
}

}  // namespace

Comparison compare(const std::vector<spectra::SpectrumPoint>& points, const spectra::ComparedPoints& compared) {
  Comparison result;
  double sum = 0.0;
  // The mean's period range with a relative margin for periods formed as
  // 1 / frequency (0.1 s is 1 / 10 Hz).
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    const spectra::SpectrumPoint& point = points[i];
    if (point.period >= kMeanPeriodLow * (1.0 - spectra::kLimitMargin) &&
        point.period <= kMeanPeriodHigh * (1.0 + spectra::kLimitMargin)) {
      sum += point.ratio;
      ++result.mean_count;
    }
  }
  result.mean_ratio =
      result.mean_count > 0 ? sum / static_cast<double>(result.mean_count) : 0.0;
  const auto outside = [&](std::size_t i, bool below) {
    if (!compared.compared(i)) return false;
    return below ? points[i].ratio < spectra::kBandLow : points[i].ratio > spectra::kBandHigh;
  };
  result.below = find_excursions(
      points, [&](std::size_t i) { return outside(i, true); },
      [](const spectra::SpectrumPoint& p) { return -p.ratio; });
  result.above = find_excursions(
      points, [&](std::size_t i) { return outside(i, false); },
      [](const spectra::SpectrumPoint& p) { return p.ratio; });
  for (const Excursion& run : result.below) result.below_count += run.last - run.first + 1;
  for (const Excursion& run : result.above) result.above_count += run.last - run.first + 1;
  return result;
}

CheckResult run_check(spectra::Record record, const spectra::CriteriaOptions& options) {
  CheckResult result;
  result.motion = spectra::summarize_motion(record);
  result.evaluation = spectra::evaluate_record(record.dt, record.acc, options);
  result.comparison = compare(result.evaluation.points, result.evaluation.compared);
  result.record = std::move(record);
  return result;
}

namespace {

std::string format_record(const CheckResult& result) {
  const spectra::Record& record = result.record;
  std::string text = "seedacc-check: " + record.source + "\n";
  text += spectra::format("record: %zu samples, dt = %.6g s, %.6g s to %.6g s, %s\n",
                 record.acc.size(), record.dt, record.start_time,
                 record.end_time(),
                 record.has_header ? "header line present" : "no header line");
  const double peak = std::fabs(result.motion.acceleration.value);
  if (peak < kPlausiblePeakLow || peak > kPlausiblePeakHigh) {
    text += spectra::format("warning: peak acceleration %.4g gal is %s %g gal: check that the "
                   "accelerations are in gal (cm/s^2), not in g or m/s^2\n",
                   peak, peak < kPlausiblePeakLow ? "below" : "above",
                   peak < kPlausiblePeakLow ? kPlausiblePeakLow : kPlausiblePeakHigh);
  }
  return text;
}

std::string duration_line(const char* name, const spectra::SignificantDuration& duration) {
  if (!duration.defined) {
    return spectra::format("  %-22s %11s (the record is zero throughout)\n", name, "undefined");
  }
  return spectra::format("  %-22s %11.4g s     from %.3f s to %.3f s\n", name, duration.length(),
                duration.start, duration.end);
}

std::string format_motion(const CheckResult& result) {
  const spectra::MotionSummary& motion = result.motion;
  const int decimals = spectra::time_decimals(result.record);
  std::string text =
      "\nground motion (velocity and displacement integrated from rest by the\n"
      "trapezoidal rule, without baseline correction)\n";
  text += peak_line("peak acceleration", motion.acceleration, "gal", decimals);
  text += peak_line("peak velocity", motion.velocity, "cm/s", decimals);
  text += peak_line("peak displacement", motion.displacement, "cm", decimals);
  text += spectra::format("  %-22s %11.4g cm/s  at the end\n", "residual velocity",
                 motion.residual_velocity);
  text += spectra::format("  %-22s %11.4g cm    at the end\n", "residual displacement",
                 motion.residual_displacement);
  text += spectra::format("  %-22s %11.4g cm/s\n", "Arias intensity", motion.arias_intensity);
  text += duration_line("D5-95 duration", motion.duration);
  text += duration_line("D5-75 duration", motion.duration_5_75);
  text += std::string("after the ") + spectra::kBaselineCorrection +
          " correction (c1 t + c2 t^2 fitted to the velocity\n"
          "by least squares and removed, a straight line removed from the acceleration)\n";
  text += peak_line("peak velocity", motion.corrected_velocity, "cm/s", decimals);
  text += peak_line("peak displacement", motion.corrected_displacement, "cm", decimals);
  return text;
}

// Every 25th point and the last, by increasing period, with the points
// that are not judged marked.
std::string format_selected_points(const spectra::Evaluation& evaluation) {
  const std::vector<spectra::SpectrumPoint>& points = evaluation.points;
  const spectra::ComparedPoints& compared = evaluation.compared;
  std::string text = "  selected points (4 per decade; --csv writes all of them):\n"
                     "     period s   freq Hz     Sa gal  target gal   ratio\n";
  constexpr std::size_t kEvery = 25;
  std::vector<std::size_t> selected{points.size() - 1};
  for (std::size_t i = (points.size() - 2) / kEvery * kEvery;; i -= kEvery) {
    selected.push_back(i);
    if (i < kEvery) break;
  }
  for (const std::size_t i : selected) {
    const spectra::SpectrumPoint& point = points[i];
    const char* mark = "";
    if (i >= compared.compared_end && i < compared.in_range_end) {
      mark = "  not judged, above the Nyquist frequency";
    } else if (!compared.compared(i)) {
      mark = "  outside the range";
    }
    text += spectra::format("    %9.4g %9.4g %10.4g %11.4g %7.3f%s\n", point.period, point.frequency,
                   point.sa, point.target, point.ratio, mark);
  }
  return text;
}

std::string format_spectrum(const CheckResult& result) {
  const spectra::Evaluation& evaluation = result.evaluation;
  const std::vector<spectra::SpectrumPoint>& points = evaluation.points;
  const spectra::ComparedPoints& compared = evaluation.compared;
  const double damping = evaluation.options.damping;
  std::string text =
      spectra::format("\npseudo-acceleration response spectrum, damping ratio %g\n", damping);
  text += spectra::format("  target: the spectrum of seedacc times 1.5 / (1 + 10 h) = %.6g for h = %g\n",
                 spectra::damping_factor(damping), damping);
  text += spectra::format("  %zu frequencies: 100 per decade from %g Hz (%g, %.4g, ..., "
                 "%.4g Hz), then %g Hz\n",
                 points.size(), points.front().frequency, points[0].frequency,
                 points[1].frequency, points[points.size() - 2].frequency,
                 points.back().frequency);
  text += spectra::format("  compared: %zu points in %g-%g Hz, at most the Nyquist frequency %.6g Hz\n",
                 compared.compared_count(), evaluation.options.range.low,
                 evaluation.options.range.high, compared.nyquist);
  if (compared.above_nyquist_count() > 0) {
    text += spectra::format("warning: %zu of the %zu points in the range (%.4g-%.4g Hz) lie above the "
                   "Nyquist frequency %.6g Hz of the record and are not judged\n",
                   compared.above_nyquist_count(),
                   compared.in_range_end - compared.in_range_first,
                   points[compared.compared_end].frequency,
                   points[compared.in_range_end - 1].frequency, compared.nyquist);
  }
  text += format_selected_points(evaluation);
  if (evaluation.fit.count == 0) return text;
  const spectra::SpectrumPoint& lowest = points[evaluation.fit.lowest];
  const spectra::SpectrumPoint& highest = points[evaluation.fit.highest];
  text += spectra::format("  smallest ratio  %.3f at T = %.4g s (%.4g Hz)\n", lowest.ratio,
                 lowest.period, lowest.frequency);
  text += spectra::format("  largest ratio   %.3f at T = %.4g s (%.4g Hz)\n", highest.ratio,
                 highest.period, highest.frequency);
  text += spectra::format("  mean ratio      %.3f over T = %g-%g s (%zu points)\n",
                 result.comparison.mean_ratio, kMeanPeriodLow, kMeanPeriodHigh,
                 result.comparison.mean_count);
  return text;
}

std::string format_criteria(const CheckResult& result) {
  const spectra::Evaluation& evaluation = result.evaluation;
  const std::vector<spectra::SpectrumPoint>& points = evaluation.points;
  const spectra::ComparedPoints& compared = evaluation.compared;
  const Comparison& comparison = result.comparison;
  std::string text;
  if (compared.compared_count() > 0) {
    const std::size_t count = compared.compared_count();
    text += spectra::format("\nacceptance: every point within -10 %% / +30 %% of the target "
                   "(ratio %.2f to %.2f), %g-%g Hz\n",
                   spectra::kBandLow, spectra::kBandHigh, points[compared.in_range_first].frequency,
                   points[compared.compared_end - 1].frequency);
    text += spectra::format("  below the band: %zu of %zu points", comparison.below_count, count);
    text += describe_runs(points, comparison.below) + "\n";
    text += spectra::format("  above the band: %zu of %zu points", comparison.above_count, count);
    text += describe_runs(points, comparison.above) + "\n";
  }
  text += "\ncriteria\n";
  std::ostringstream lines;
  spectra::write_verdict(lines, evaluation.verdict);
  return text + lines.str();
}

}  // namespace

std::string format_report(const CheckResult& result) {
  return format_record(result) + format_motion(result) + format_spectrum(result) +
         format_criteria(result);
}

std::string format_summary(const std::vector<SummaryRow>& rows) {
  // File names go in by string, not through format(), whose buffer a long
  // path would overrun into truncation.
  std::size_t width = 4;
  for (const SummaryRow& row : rows) width = std::max(width, row.file.size());
  const auto name = [width](const std::string& file) {
    return "  " + file + std::string(width - file.size(), ' ') + "  ";
  };
  std::string text = spectra::format("\nsummary of %zu records\n", rows.size());
  text += name("file") + "verdict  min ratio  max ratio  mean ratio  SI ratio\n";
  for (const SummaryRow& row : rows) {
    text += name(row.file);
    if (row.result == nullptr) {
      text += "not read\n";
      continue;
    }
    const spectra::Evaluation& evaluation = row.result->evaluation;
    const spectra::SpectrumFit& fit = evaluation.fit;
    const char* verdict = evaluation.verdict.pass ? "PASS" : "FAIL";
    if (fit.count == 0) {
      text += spectra::format("%-7s  no compared points\n", verdict);
      continue;
    }
    text += spectra::format("%-7s  %9.3f  %9.3f  %10.3f  ", verdict, evaluation.points[fit.lowest].ratio,
                   evaluation.points[fit.highest].ratio, fit.mean_ratio);
    text += fit.si_count < 2 ? "undefined\n" : spectra::format("%8.3f\n", fit.si_ratio);
  }
  return text;
}

}  // namespace check
