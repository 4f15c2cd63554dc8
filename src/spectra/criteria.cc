// criteria.cc: the acceptance criteria (see criteria.h).
#include "criteria.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "text.h"

namespace spectra {
namespace {

const double kTwoPi = 2.0 * std::acos(-1.0);

bool read_frequency(const std::string& text, double& value) {
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
         std::isfinite(value);
}

// Longest run of adjacent compared points with ratio < 1, the first found
// among equals.
void find_longest_run_below(const std::vector<SpectrumPoint>& points,
                            const ComparedPoints& compared, SpectrumFit& fit) {
  std::size_t run = 0;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    run = points[i].ratio < 1.0 ? run + 1 : 0;
    if (run > fit.run_length) {
      fit.run_length = run;
      fit.run_first = i + 1 - run;
      fit.run_last = i;
    }
  }
}

// SI of record and target over the compared points whose periods lie in
// kSiPeriodLow ... kSiPeriodHigh; the points are by increasing frequency,
// so their periods decrease.
void integrate_si(const std::vector<SpectrumPoint>& points,
                  const ComparedPoints& compared, SpectrumFit& fit) {
  const SpectrumPoint* previous = nullptr;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    const SpectrumPoint& point = points[i];
    if (point.period < kSiPeriodLow * (1.0 - kLimitMargin) ||
        point.period > kSiPeriodHigh * (1.0 + kLimitMargin)) {
      continue;
    }
    if (previous == nullptr) fit.si_period_high = point.period;
    fit.si_period_low = point.period;
    ++fit.si_count;
    if (previous != nullptr) {
      const double width = previous->period - point.period;
      fit.si_record += 0.5 * width *
                       (previous->sa * previous->period + point.sa * point.period) / kTwoPi;
      fit.si_target += 0.5 * width *
                       (previous->target * previous->period + point.target * point.period) /
                       kTwoPi;
    }
    previous = &point;
  }
  fit.si_ratio = fit.si_target > 0.0 ? fit.si_record / fit.si_target : 0.0;
}

// Criteria are judged on the values, not on their three printed decimals:
// where those read as the limit itself, the note gives more digits, so that
// "1.000 FAIL" explains itself.
std::string unrounded(double value, double limit) {
  const bool reads_as_limit = format("%.3f", value) == format("%.3f", limit);
  return reads_as_limit && value != limit ? format(" (%.6f unrounded)", value) : "";
}

void add(Verdict& verdict, const std::string& name, const std::string& figure,
         bool pass, const std::string& note) {
  verdict.criteria.push_back({name, figure, pass, note});
  if (!pass) verdict.failed.push_back(name);
}

void judge_record(const Evaluation& evaluation, Verdict& verdict) {
  add(verdict, "time step", format("%g s", evaluation.dt),
      evaluation.dt <= kMaxTimeStep * (1.0 + kLimitMargin),
      format("at most %g s", kMaxTimeStep));
  add(verdict, "duration", format("%.6g s", evaluation.duration),
      evaluation.duration >= kMinDuration * (1.0 - kLimitMargin),
      format("at least %g s", kMinDuration));
}

void judge_spectrum(const Evaluation& evaluation, Verdict& verdict) {
  const SpectrumFit& fit = evaluation.fit;
  const std::vector<SpectrumPoint>& points = evaluation.points;
  if (fit.count == 0) {
    for (const char* name : {"band", "window", "minimum ratio", "mean ratio", "CoV", "SI ratio"}) {
      add(verdict, name, "none", false, "no compared points");
    }
    return;
  }
  add(verdict, "band", format("%zu of %zu", fit.outside_band, fit.count),
      fit.outside_band == 0,
      format("points outside ratio %.2f to %.2f", kBandLow, kBandHigh));
  const std::string run_note =
      fit.run_length == 0
          ? std::string("no point below the target")
          : format("longest run below the target %.4g-%.4g Hz", points[fit.run_first].frequency,
                    points[fit.run_last].frequency);
  add(verdict, "window", format("%zu points", fit.run_length), fit.run_length <= kMaxRunBelow,
      run_note + format("; at most %zu", kMaxRunBelow));
  const SpectrumPoint& lowest = points[fit.lowest];
  add(verdict, "minimum ratio", format("%.3f", lowest.ratio), lowest.ratio >= kMinRatio,
      format("at least %.2f; at %.4g Hz (T = %.4g s)", kMinRatio, lowest.frequency,
              lowest.period) + unrounded(lowest.ratio, kMinRatio));
  add(verdict, "mean ratio", format("%.3f", fit.mean_ratio), fit.mean_ratio >= kMinMeanRatio,
      format("at least %.2f; over the %zu compared points", kMinMeanRatio, fit.count) +
          unrounded(fit.mean_ratio, kMinMeanRatio));
  add(verdict, "CoV", format("%.3f", fit.ratio_cov), fit.ratio_cov <= kMaxRatioCov,
      format("at most %.2f; coefficient of variation of the ratio", kMaxRatioCov) +
          unrounded(fit.ratio_cov, kMaxRatioCov));
  if (fit.si_count < 2) {
    add(verdict, "SI ratio", "undefined", false,
        format("fewer than 2 compared points in T = %g-%g s", kSiPeriodLow, kSiPeriodHigh));
  } else {
    add(verdict, "SI ratio", format("%.3f", fit.si_ratio), fit.si_ratio >= kMinSiRatio,
        format("at least %.2f; SI %.4g cm over target %.4g cm, T = %.4g-%.4g s", kMinSiRatio,
                fit.si_record, fit.si_target, fit.si_period_low, fit.si_period_high) +
            unrounded(fit.si_ratio, kMinSiRatio));
  }
}

}  // namespace

void check_target_fits(const CriteriaOptions& options) {
  const Target& target = options.target;
  if (!target.scales_with_damping() && options.damping != target.defined_damping()) {
    throw TargetError(format("--damping %g does not apply to the target %s: ", options.damping,
                             target.name().c_str()) +
                      target.damping_rule(target.defined_damping()));
  }
  const double shortest = 1.0 / options.range.high;
  const double longest = 1.0 / options.range.low;
  const char* narrow = "; narrow the compared range with --range F1:F2";
  if (shortest < target.shortest_period() * (1.0 - kLimitMargin)) {
    throw TargetError(format("the target %s has no period below %g s (%g Hz), but the compared "
                             "range reaches %g Hz",
                             target.name().c_str(), target.shortest_period(),
                             1.0 / target.shortest_period(), options.range.high) + narrow);
  }
  if (longest > target.longest_period() * (1.0 + kLimitMargin)) {
    throw TargetError(format("the target %s has no period above %g s (%g Hz), but the compared "
                             "range reaches %g Hz",
                             target.name().c_str(), target.longest_period(),
                             1.0 / target.longest_period(), options.range.low) + narrow);
  }
}

FrequencyRange parse_frequency_range(const std::string& text) {
  const std::size_t colon = text.find(':');
  FrequencyRange range;
  if (colon == std::string::npos || !read_frequency(text.substr(0, colon), range.low) ||
      !read_frequency(text.substr(colon + 1), range.high)) {
    throw std::invalid_argument("--range needs F1:F2 in Hz, got '" + text + "'");
  }
  const std::string bounds = format("%g Hz to %g Hz", kGridLow, kGridHigh);
  if (!(range.low < range.high) || range.low < kGridLow * (1.0 - kLimitMargin) ||
      range.high > kGridHigh * (1.0 + kLimitMargin)) {
    throw std::invalid_argument("--range F1:F2 needs " + bounds + " with F1 < F2, got '" +
                                text + "'");
  }
  const ComparedPoints points = select_points(1.0 / (2.0 * kGridHigh), range);
  if (points.compared_count() == 0) {
    throw std::invalid_argument("--range '" + text + "' holds no frequency of the grid");
  }
  return range;
}

ComparedPoints select_points(double dt, const FrequencyRange& range) {
  assert(dt > 0.0);
  const std::vector<double> grid = spectrum_frequencies();
  ComparedPoints points;
  points.nyquist = 1.0 / (2.0 * dt);
  std::size_t i = 0;
  while (i < grid.size() && grid[i] < range.low * (1.0 - kLimitMargin)) ++i;
  points.in_range_first = i;
  while (i < grid.size() && grid[i] <= range.high * (1.0 + kLimitMargin) &&
         grid[i] <= points.nyquist * (1.0 + kLimitMargin)) {
    ++i;
  }
  points.compared_end = i;
  while (i < grid.size() && grid[i] <= range.high * (1.0 + kLimitMargin)) ++i;
  points.in_range_end = i;
  return points;
}

std::vector<SpectrumPoint> compare_with_target(const std::vector<double>& frequencies,
                                               const std::vector<double>& sa,
                                               const Target& target, double damping) {
  assert(frequencies.size() == sa.size());
  std::vector<SpectrumPoint> points;
  points.reserve(frequencies.size());
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    SpectrumPoint point;
    point.frequency = frequencies[i];
    point.period = 1.0 / frequencies[i];
    point.sa = sa[i];
    point.target = target.sa(point.period, damping);
    point.ratio = point.sa / point.target;
    points.push_back(point);
  }
  return points;
}

SpectrumFit fit_spectrum(const std::vector<SpectrumPoint>& points,
                         const ComparedPoints& compared) {
  assert(compared.compared_end <= points.size());
  SpectrumFit fit;
  fit.count = compared.compared_count();
  if (fit.count == 0) return fit;
  fit.lowest = fit.highest = compared.in_range_first;
  double sum = 0.0;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    const double ratio = points[i].ratio;
    if (ratio < points[fit.lowest].ratio) fit.lowest = i;
    if (ratio > points[fit.highest].ratio) fit.highest = i;
    if (ratio < kBandLow || ratio > kBandHigh) ++fit.outside_band;
    sum += ratio;
  }
  const double count = static_cast<double>(fit.count);
  fit.mean_ratio = sum / count;
  double squares = 0.0;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    const double deviation = points[i].ratio - fit.mean_ratio;
    squares += deviation * deviation;
  }
  fit.ratio_cov = fit.mean_ratio > 0.0 ? std::sqrt(squares / count) / fit.mean_ratio : 0.0;
  find_longest_run_below(points, compared, fit);
  integrate_si(points, compared, fit);
  return fit;
}

Evaluation evaluate_spectrum(double dt, std::size_t sample_count,
                             const std::vector<double>& sa,
                             const CriteriaOptions& options) {
  assert(dt > 0.0 && sample_count >= 2);
  Evaluation evaluation;
  evaluation.options = options;
  evaluation.dt = dt;
  evaluation.sample_count = sample_count;
  evaluation.duration = static_cast<double>(sample_count - 1) * dt;
  evaluation.points =
      compare_with_target(spectrum_frequencies(), sa, options.target, options.damping);
  evaluation.compared = select_points(dt, options.range);
  evaluation.fit = fit_spectrum(evaluation.points, evaluation.compared);
  judge_record(evaluation, evaluation.verdict);
  judge_spectrum(evaluation, evaluation.verdict);
  evaluation.verdict.pass = evaluation.verdict.failed.empty();
  return evaluation;
}

Evaluation evaluate_record(double dt, const std::vector<double>& acc,
                           const CriteriaOptions& options) {
  const std::vector<double> sa =
      pseudo_acceleration_spectrum(acc, dt, options.damping, spectrum_frequencies());
  return evaluate_spectrum(dt, acc.size(), sa, options);
}

void write_verdict(std::ostream& out, const Verdict& verdict) {
  for (const Criterion& criterion : verdict.criteria) {
    out << format("%-14s %-13s %s  ", criterion.name.c_str(), criterion.figure.c_str(),
                   criterion.pass ? "PASS" : "FAIL")
        << criterion.note << "\n";
  }
  if (verdict.pass) {
    out << "verdict: PASS\n";
    return;
  }
  out << "verdict: FAIL (";
  for (std::size_t i = 0; i < verdict.failed.size(); ++i) {
    out << (i > 0 ? ", " : "") << verdict.failed[i];
  }
  out << ")\n";
}

}  // namespace spectra
