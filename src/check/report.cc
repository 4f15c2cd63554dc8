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

// Why a figure of the ground motion reads "undefined".
constexpr char kNotFinite[] = "undefined (not finite: values or step too large)";

// One figure of the ground motion, "name value unit rest", or its name and
// kNotFinite when the value is not finite.
std::string figure_line(const char* name, double value, const char* unit, const std::string& rest) {
  if (!std::isfinite(value)) return groundmotion::format("  %-22s %s\n", name, kNotFinite);
  if (rest.empty()) return groundmotion::format("  %-22s %11.4g %s\n", name, value, unit);
  return groundmotion::format("  %-22s %11.4g %-5s%s\n", name, value, unit, rest.c_str());
}

// One peak value and its time, printed with the record's own decimals.
std::string peak_line(const char* name, const groundmotion::Peak& peak, const char* unit,
                      int decimals) {
  return figure_line(name, peak.value, unit, groundmotion::format(" at %9.*f s", decimals, peak.time));
}

}  // namespace

std::string units_warning(double peak) {
  peak = std::fabs(peak);
  if (peak >= kPlausiblePeakLow && peak <= kPlausiblePeakHigh) return "";
  return groundmotion::format("warning: peak acceleration %.4g gal is %s %g gal: check that the "
                         "accelerations are in gal (cm/s^2), not in g or m/s^2\n",
                         peak, peak < kPlausiblePeakLow ? "below" : "above",
                         peak < kPlausiblePeakLow ? kPlausiblePeakLow : kPlausiblePeakHigh);
}

CheckResult run_check(groundmotion::Record record, const groundmotion::CriteriaOptions& options) {
  CheckResult result;
  result.motion = groundmotion::summarize_motion(record);
  result.evaluation = groundmotion::evaluate_record(record.dt, record.acc, options);
  result.record = std::move(record);
  return result;
}

namespace {

std::string format_record(const CheckResult& result) {
  const groundmotion::Record& record = result.record;
  std::string text = "seedacc-check: " + groundmotion::printable(record.source) + "\n" + groundmotion::describe_reading(record);
  text += groundmotion::format("record: %zu samples, dt = %.6g s, %.6g s to %.6g s", record.acc.size(),
                          record.dt, record.start_time, record.end_time());
  if (record.format == groundmotion::Format::columns) {
    text += record.has_header ? ", header line present" : ", no header line";
  }
  text += "\ntarget: " + groundmotion::printable(result.evaluation.options.target.description()) + "\n";
  return text + units_warning(result.motion.acceleration.value);
}

std::string duration_line(const char* name, const groundmotion::SignificantDuration& duration) {
  if (!duration.defined) {
    return groundmotion::format("  %-22s %11s (the record is zero throughout)\n", name, "undefined");
  }
  return figure_line(name, duration.length(), "s",
                     groundmotion::format(" from %.3f s to %.3f s", duration.start, duration.end));
}

std::string format_motion(const CheckResult& result) {
  const groundmotion::MotionSummary& motion = result.motion;
  const int decimals = groundmotion::time_decimals(result.record);
  std::string text =
      "\nground motion (velocity and displacement integrated from rest by the\n"
      "trapezoidal rule, without baseline correction)\n";
  text += peak_line("peak acceleration", motion.acceleration, "gal", decimals);
  text += peak_line("peak velocity", motion.velocity, "cm/s", decimals);
  text += peak_line("peak displacement", motion.displacement, "cm", decimals);
  text += figure_line("residual velocity", motion.residual_velocity, "cm/s", " at the end");
  text += figure_line("residual displacement", motion.residual_displacement, "cm", " at the end");
  text += figure_line("Arias intensity", motion.arias_intensity, "cm/s", "");
  text += duration_line("D5-95 duration", motion.duration);
  text += duration_line("D5-75 duration", motion.duration_5_75);
  text += std::string("after the ") + groundmotion::kBaselineCorrection +
          " correction (c1 t + c2 t^2 fitted to the velocity\n"
          "by least squares and removed, a straight line removed from the acceleration)\n";
  text += peak_line("peak velocity", motion.corrected_velocity, "cm/s", decimals);
  text += peak_line("peak displacement", motion.corrected_displacement, "cm", decimals);
  return text;
}

// Every 25th point and the last, by increasing period, with the points
// that are not judged marked.
std::string format_selected_points(const groundmotion::Evaluation& evaluation) {
  const std::vector<groundmotion::SpectrumPoint>& points = evaluation.points;
  const groundmotion::ComparedPoints& compared = evaluation.compared;
  constexpr std::size_t kEvery = 25;
  std::string text =
      groundmotion::format("  selected points (%zu per decade; --csv writes all of them):\n",
                      groundmotion::kGridPerDecade / kEvery) +
      "     period s   freq Hz     Sa gal  target gal   ratio\n";
  std::vector<std::size_t> selected{points.size() - 1};
  for (std::size_t i = (points.size() - 2) / kEvery * kEvery;; i -= kEvery) {
    selected.push_back(i);
    if (i < kEvery) break;
  }
  for (const std::size_t i : selected) {
    const groundmotion::SpectrumPoint& point = points[i];
    const char* mark = "";
    if (i >= compared.compared_end && i < compared.in_range_end) {
      mark = "  not judged, above the Nyquist frequency";
    } else if (!compared.compared(i)) {
      mark = "  outside the range";
    }
    text += groundmotion::format("    %9.4g %9.4g %10.4g %11.4g %7.3f%s\n", point.period, point.frequency,
                   point.sa, point.target, point.ratio, mark);
  }
  return text;
}

std::string format_spectrum(const CheckResult& result) {
  const groundmotion::Evaluation& evaluation = result.evaluation;
  const std::vector<groundmotion::SpectrumPoint>& points = evaluation.points;
  const groundmotion::ComparedPoints& compared = evaluation.compared;
  const double damping = evaluation.options.damping;
  std::string text =
      groundmotion::format("\npseudo-acceleration response spectrum, damping ratio %g\n", damping);
  const groundmotion::Target& target = evaluation.options.target;
  text += "  target: " + groundmotion::printable(target.name()) + ", " + target.damping_rule(damping) +
          "\n";
  text += groundmotion::format("  %zu frequencies: %d per decade from %g Hz (%g, %.4g, ..., "
                 "%.4g Hz), then %g Hz\n",
                 points.size(), groundmotion::kGridPerDecade, points.front().frequency, points[0].frequency,
                 points[1].frequency, points[points.size() - 2].frequency,
                 points.back().frequency);
  text += groundmotion::format("  compared: %zu points in %g-%g Hz, at most the Nyquist frequency %.6g Hz\n",
                 compared.compared_count(), evaluation.options.range.low,
                 evaluation.options.range.high, compared.nyquist);
  if (compared.above_nyquist_count() > 0) {
    text += groundmotion::format("warning: %zu of the %zu points in the range (%.4g-%.4g Hz) lie above the "
                   "Nyquist frequency %.6g Hz of the record and are not judged\n",
                   compared.above_nyquist_count(),
                   compared.in_range_end - compared.in_range_first,
                   points[compared.compared_end].frequency,
                   points[compared.in_range_end - 1].frequency, compared.nyquist);
  }
  text += format_selected_points(evaluation);
  if (evaluation.fit.count == 0) return text;
  const groundmotion::SpectrumPoint& lowest = points[evaluation.fit.lowest];
  const groundmotion::SpectrumPoint& highest = points[evaluation.fit.highest];
  text += groundmotion::format("  smallest ratio  %.3f at T = %.4g s (%.4g Hz)\n", lowest.ratio,
                 lowest.period, lowest.frequency);
  text += groundmotion::format("  largest ratio   %.3f at T = %.4g s (%.4g Hz)\n", highest.ratio,
                 highest.period, highest.frequency);
  text += groundmotion::format("  mean ratio      %.3f over the %zu compared points\n",
                 evaluation.fit.mean_ratio, evaluation.fit.count);
  return text;
}

std::string format_criteria(const CheckResult& result) {
  std::ostringstream lines;
  for (const groundmotion::Verdict& verdict : result.evaluation.verdicts) {
    lines << "\n";
    groundmotion::write_verdict(lines, verdict);
  }
  return lines.str();
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
  for (const SummaryRow& row : rows) width = std::max(width, groundmotion::printable(row.file).size());
  const auto name = [width](const std::string& file) {
    const std::string shown = groundmotion::printable(file);
    return "  " + shown + std::string(width - shown.size(), ' ') + "  ";
  };
  std::string text = groundmotion::format("\nsummary of %zu records\n", rows.size());
  text += name("file") + "verdicts          min ratio  max ratio  mean ratio  SI ratio\n";
  for (const SummaryRow& row : rows) {
    text += name(row.file);
    if (row.result == nullptr) {
      text += "not read\n";
      continue;
    }
    const groundmotion::Evaluation& evaluation = row.result->evaluation;
    const groundmotion::SpectrumFit& fit = evaluation.fit;
    std::string verdicts;
    for (const groundmotion::Verdict& verdict : evaluation.verdicts) {
      verdicts += (verdicts.empty() ? "" : " ") + verdict.tag + (verdict.pass ? " PASS" : " FAIL");
    }
    if (fit.count == 0) {
      text += groundmotion::format("%-16s  no compared points\n", verdicts.c_str());
      continue;
    }
    text += groundmotion::format("%-16s  %9.3f  %9.3f  %10.3f  ", verdicts.c_str(),
                            evaluation.points[fit.lowest].ratio,
                            evaluation.points[fit.highest].ratio, fit.mean_ratio);
    text += fit.si_count < 2 ? "undefined\n" : groundmotion::format("%8.3f\n", fit.si_ratio);
  }
  return text;
}

}  // namespace check
