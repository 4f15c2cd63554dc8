// report.cc: comparison with the target spectrum and the text report
// (see report.h).
#include "report.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "response.h"

namespace check {
namespace {

// printf-style formatting into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
  char buffer[512];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(buffer, sizeof buffer, pattern, args);
  va_end(args);
  return buffer;
}

// Collects the runs of neighbouring indices for which `outside` holds;
// `badness` ranks the points of a run (larger is worse).
template <typename Outside, typename Badness>
std::vector<Excursion> find_excursions(const std::vector<SpectrumPoint>& points,
                                       Outside outside, Badness badness) {
  std::vector<Excursion> runs;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!outside(points[i])) continue;
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
std::string describe_runs(const std::vector<SpectrumPoint>& points,
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
                ? format("%.4g s", long_period)
                : format("%.4g-%.4g s", short_period, long_period);
    text += format(" (worst %.3f at %.4g s)", points[run.worst].ratio,
                   points[run.worst].period);
  }
  if (runs.size() > kMaxRuns) {
    text += format("\n    and %zu more ranges", runs.size() - kMaxRuns);
  }
  return text;
}

// Decimals of the record's own times (2 for times printed as 163.83).
int time_decimals(const Record& record) {
  if (!(record.time_resolution > 0.0) || record.time_resolution >= 1.0) return 0;
  const double decimals = std::round(-std::log10(record.time_resolution));
  return static_cast<int>(std::fmin(decimals, 6.0));
}

// One peak value and its time, printed with the record's own decimals.
std::string peak_line(const char* name, const Peak& peak, const char* unit,
                      int decimals) {
  return format("  %-22s %11.4g %-5s at %9.*f s\n", name, peak.value, unit,
                decimals, peak.time);
}

}  // namespace

Comparison compare(const std::vector<SpectrumPoint>& points) {
  Comparison result;
  double sum = 0.0;
  // The mean's period range with a relative margin for periods formed as
  // 1 / frequency (0.1 s is 1 / 10 Hz).
  const double margin = 1e-9;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SpectrumPoint& point = points[i];
    if (point.ratio < points[result.lowest].ratio) result.lowest = i;
    if (point.ratio > points[result.highest].ratio) result.highest = i;
    if (point.period >= kMeanPeriodLow * (1.0 - margin) &&
        point.period <= kMeanPeriodHigh * (1.0 + margin)) {
      sum += point.ratio;
      ++result.mean_count;
    }
  }
  result.mean_ratio =
      result.mean_count > 0 ? sum / static_cast<double>(result.mean_count) : 0.0;
  result.below = find_excursions(
      points, [](const SpectrumPoint& p) { return p.ratio < kBandLow; },
      [](const SpectrumPoint& p) { return -p.ratio; });
  result.above = find_excursions(
      points, [](const SpectrumPoint& p) { return p.ratio > kBandHigh; },
      [](const SpectrumPoint& p) { return p.ratio; });
  for (const Excursion& run : result.below) result.below_count += run.last - run.first + 1;
  for (const Excursion& run : result.above) result.above_count += run.last - run.first + 1;
  result.pass = result.below_count == 0 && result.above_count == 0;
  return result;
}

CheckResult run_check(Record record, double damping) {
  CheckResult result;
  result.damping = damping;
  result.motion = summarize_motion(record);
  const std::vector<double> frequencies = spectrum_frequencies();
  const std::vector<double> sa =
      pseudo_acceleration_spectrum(record.acc, record.dt, damping, frequencies);
  result.spectrum = compare_with_target(frequencies, sa);
  result.comparison = compare(result.spectrum);
  result.record = std::move(record);
  return result;
}

std::string format_report(const CheckResult& result) {
  const Record& record = result.record;
  const MotionSummary& motion = result.motion;
  const std::vector<SpectrumPoint>& points = result.spectrum;
  const Comparison& comparison = result.comparison;
  std::string text;

  text += "seedacc-check: " + record.source + "\n";
  text += format("record: %zu samples, dt = %.6g s, %.6g s to %.6g s, %s\n",
                 record.acc.size(), record.dt, record.start_time,
                 record.end_time(),
                 record.has_header ? "header line present" : "no header line");

  text += "\nground motion (velocity and displacement integrated from rest by the\n"
          "trapezoidal rule, without baseline correction)\n";
  const int decimals = time_decimals(record);
  text += peak_line("peak acceleration", motion.acceleration, "gal", decimals);
  text += peak_line("peak velocity", motion.velocity, "cm/s", decimals);
  text += peak_line("peak displacement", motion.displacement, "cm", decimals);
  text += format("  %-22s %11.4g cm/s\n", "Arias intensity", motion.arias_intensity);
  if (motion.duration.defined) {
    text += format("  %-22s %11.4g s     from %.3f s to %.3f s\n",
                   "significant duration", motion.duration.length(),
                   motion.duration.start, motion.duration.end);
  } else {
    text += format("  %-22s %11s (the record is zero throughout)\n",
                   "significant duration", "undefined");
  }

  text += format("\npseudo-acceleration response spectrum, damping ratio %g\n",
                 result.damping);
  text += format("  %zu frequencies: 100 per decade from %g Hz (%g, %.4g, ..., "
                 "%.4g Hz), then %g Hz\n",
                 points.size(), points.front().frequency, points[0].frequency,
                 points[1].frequency, points[points.size() - 2].frequency,
                 points.back().frequency);
  text += "  selected points (4 per decade; --csv writes all of them):\n";
  text += "     period s   freq Hz     Sa gal  target gal   ratio\n";
  // Every 25th point and the last, by increasing period.
  constexpr std::size_t kEvery = 25;
  std::vector<std::size_t> selected{points.size() - 1};
  for (std::size_t i = (points.size() - 2) / kEvery * kEvery;; i -= kEvery) {
    selected.push_back(i);
    if (i < kEvery) break;
  }
  for (const std::size_t i : selected) {
    const SpectrumPoint& point = points[i];
    text += format("    %9.4g %9.4g %10.4g %11.4g %7.3f\n", point.period,
                   point.frequency, point.sa, point.target, point.ratio);
  }
  const SpectrumPoint& lowest = points[comparison.lowest];
  const SpectrumPoint& highest = points[comparison.highest];
  text += format("  smallest ratio  %.3f at T = %.4g s (%.4g Hz)\n", lowest.ratio,
                 lowest.period, lowest.frequency);
  text += format("  largest ratio   %.3f at T = %.4g s (%.4g Hz)\n", highest.ratio,
                 highest.period, highest.frequency);
  text += format("  mean ratio      %.3f over T = %g-%g s (%zu points)\n",
                 comparison.mean_ratio, kMeanPeriodLow, kMeanPeriodHigh,
                 comparison.mean_count);

  text += format("\nacceptance: every point within -10 %% / +30 %% of the target "
                 "(ratio %.2f to %.2f), %g-%g Hz\n",
                 kBandLow, kBandHigh, points.front().frequency,
                 points.back().frequency);
  text += format("  below the band: %zu of %zu points", comparison.below_count,
                 points.size());
  text += describe_runs(points, comparison.below) + "\n";
  text += format("  above the band: %zu of %zu points", comparison.above_count,
                 points.size());
  text += describe_runs(points, comparison.above) + "\n";
  if (comparison.pass) {
    text += format("verdict: PASS (ratios from %.3f to %.3f)\n", lowest.ratio,
                   highest.ratio);
  } else {
    text += format("verdict: FAIL (%zu of %zu points outside the band; lowest "
                   "ratio %.3f at T = %.4g s, highest %.3f at T = %.4g s)\n",
                   comparison.below_count + comparison.above_count,
                   points.size(), lowest.ratio, lowest.period, highest.ratio,
                   highest.period);
  }
  return text;
}

}  // namespace check
