// criteria.cc: the acceptance criteria (see criteria.h).
#include "criteria.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <stdexcept>

#include "text.h"

namespace groundmotion {
namespace {

const double kTwoPi = 2.0 * std::acos(-1.0);

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

// Whether `value` is a finite number within [low, high].
bool within(double value, double low, double high) {
  return std::isfinite(value) && value >= low && value <= high;
}

// The practice and quantity of one criterion, in words.
std::string source_of(CriteriaSet set, const char* quantity) {
  return std::string(set_source(set)) + ": " + quantity;
}

void judge_record(const Evaluation& evaluation, CriteriaSet set, Verdict& verdict) {
  // A failing line names the matcher's option that remedies it.
  const bool step_passes = within(evaluation.dt, 0.0, kMaxTimeStep * (1.0 + kLimitMargin));
  verdict.add("time step", format("%g s", evaluation.dt), step_passes,
              format("at most %g s", kMaxTimeStep) +
                  (step_passes ? "" : format("; seedacc-match --dt %g resamples", kMaxTimeStep)),
              source_of(set, "time step of the record (Nyquist frequency at least 50 Hz)"));
  const bool long_enough =
      within(evaluation.duration, kMinDuration * (1.0 - kLimitMargin), HUGE_VAL);
  verdict.add("duration", format("%.6g s", evaluation.duration), long_enough,
              format("at least %g s", kMinDuration) +
                  (long_enough ? "" : format("; seedacc-match --pad adds zeros to %g s", kMinDuration)),
              source_of(set, "length of the record"));
}

// Every spectrum criterion of `names` failed, for a reason in `note`.
void fail_all(Verdict& verdict, CriteriaSet set, std::initializer_list<const char*> names,
              const std::string& figure, const std::string& note) {
  for (const char* name : names) {
    verdict.add(name, figure, false, note, source_of(set, "the response spectrum's ratio"));
  }
}

// The spectrum criteria cannot be judged: no compared point, or a ratio
// that is not a finite number. Returns whether that is so.
bool spectrum_undefined(const SpectrumFit& fit, CriteriaSet set,
                        std::initializer_list<const char*> names, Verdict& verdict) {
  if (fit.count == 0) {
    fail_all(verdict, set, names, "none", "no compared points");
    return true;
  }
  if (fit.non_finite > 0) {
    fail_all(verdict, set, names, "undefined",
             format("%zu of the %zu compared ratios are not finite numbers", fit.non_finite,
                    fit.count));
    return true;
  }
  return false;
}

std::string lowest_note(const SpectrumPoint& lowest, double limit) {
  return format("at least %.2f; at %.4g Hz (T = %.4g s)", limit, lowest.frequency,
                lowest.period) +
         unrounded(lowest.ratio, limit);
}

void judge_us_spectrum(const Evaluation& evaluation, Verdict& verdict) {
  const CriteriaSet set = CriteriaSet::us;
  const SpectrumFit& fit = evaluation.fit;
  const std::vector<SpectrumPoint>& points = evaluation.points;
  const std::size_t grid_size = points.size();
  verdict.add("points", format("%zu of %zu", fit.count, grid_size), fit.count == grid_size,
              format("the whole grid %g-%g Hz compared, %d a decade", kGridLow, kGridHigh,
                     kUsPointsPerDecade),
              source_of(set, "frequencies at which the spectrum is computed"));
  if (spectrum_undefined(fit, set, {"minimum ratio", "window", "maximum ratio"}, verdict)) {
    return;
  }
  const SpectrumPoint& lowest = points[fit.lowest];
  verdict.add("minimum ratio", format("%.3f", lowest.ratio), lowest.ratio >= kBandLow,
              lowest_note(lowest, kBandLow),
              source_of(set, "smallest ratio of the spectrum to the target"));
  const std::string run_note =
      fit.run_length == 0
          ? std::string("no point below the target")
          : format("longest run below the target %.4g-%.4g Hz", points[fit.run_first].frequency,
                   points[fit.run_last].frequency);
  verdict.add("window", format("%zu points", fit.run_length), fit.run_length <= kMaxRunBelow,
              run_note + format("; at most %zu", kMaxRunBelow),
              source_of(set, "adjacent points below the target"));
  const SpectrumPoint& highest = points[fit.highest];
  const bool high_passes = highest.ratio <= kBandHigh;
  verdict.add("maximum ratio", format("%.3f", highest.ratio), high_passes,
              format("at most %.2f; at %.4g Hz (T = %.4g s)", kBandHigh, highest.frequency,
                     highest.period) +
                  (high_passes ? unrounded(highest.ratio, kBandHigh)
                               : std::string("; above it needs a power-spectral-density "
                                             "demonstration, which this program does not make")),
              source_of(set, "largest ratio of the spectrum to the target"));
}

void judge_jp_spectrum(const Evaluation& evaluation, Verdict& verdict) {
  const CriteriaSet set = CriteriaSet::jp;
  const SpectrumFit& fit = evaluation.fit;
  if (spectrum_undefined(fit, set, {"minimum ratio", "CoV", "mean error", "SI ratio"},
                         verdict)) {
    return;
  }
  const SpectrumPoint& lowest = evaluation.points[fit.lowest];
  verdict.add("minimum ratio", format("%.3f", lowest.ratio), lowest.ratio >= kMinRatio,
              lowest_note(lowest, kMinRatio),
              source_of(set, "smallest ratio of the spectrum to the target"));
  if (!std::isfinite(fit.ratio_cov)) {
    verdict.add("CoV", "undefined", false, "the mean ratio is not positive",
                source_of(set, "coefficient of variation of the ratio"));
  } else {
    verdict.add("CoV", format("%.3f", fit.ratio_cov), fit.ratio_cov <= kMaxRatioCov,
                format("at most %.2f; coefficient of variation of the ratio", kMaxRatioCov) +
                    unrounded(fit.ratio_cov, kMaxRatioCov),
                source_of(set, "coefficient of variation of the ratio"));
  }
  const double error = std::fabs(fit.mean_ratio - 1.0);
  verdict.add("mean error", format("%.3f", error), error <= kMaxMeanError,
              format("at most %.2f; |mean ratio - 1|, mean ratio %.3f over the %zu compared "
                     "points",
                     kMaxMeanError, fit.mean_ratio, fit.count) +
                  unrounded(error, kMaxMeanError),
              source_of(set, "error of the mean ratio"));
  const std::string si_source = source_of(set, "ratio of the spectrum intensity SI");
  if (fit.si_count < 2) {
    verdict.add("SI ratio", "undefined", false,
                format("fewer than 2 compared points in T = %g-%g s", kSiPeriodLow,
                       kSiPeriodHigh),
                si_source);
  } else {
    verdict.add("SI ratio", format("%.3f", fit.si_ratio),
                within(fit.si_ratio, kMinSiRatio, HUGE_VAL),
                format("at least %.2f; SI %.4g cm over target %.4g cm, T = %.4g-%.4g s",
                       kMinSiRatio, fit.si_record, fit.si_target, fit.si_period_low,
                       fit.si_period_high) +
                    unrounded(fit.si_ratio, kMinSiRatio),
                si_source);
  }
}

Verdict judge(const Evaluation& evaluation, CriteriaSet set) {
  Verdict verdict;
  verdict.tag = set_name(set);
  verdict.source = set_source(set);
  verdict.pass = true;
  judge_record(evaluation, set, verdict);
  if (set == CriteriaSet::us) {
    judge_us_spectrum(evaluation, verdict);
  } else {
    judge_jp_spectrum(evaluation, verdict);
  }
  return verdict;
}

}  // namespace

void check_target_fits(const CriteriaOptions& options) {
  const Target& target = options.target;
  const std::string name = printable(target.name());
  if (!target.scales_with_damping() && options.damping != target.defined_damping()) {
    throw TargetError(format("--damping %g does not apply to the target ", options.damping) +
                      name + ": " + target.damping_rule(target.defined_damping()));
  }
  const char* narrow = "; narrow the compared range with --range F1:F2";
  if (1.0 / options.range.high < target.shortest_period() * (1.0 - kLimitMargin)) {
    throw TargetError("the target " + name +
                      format(" has no period below %g s (%g Hz), but the compared range "
                             "reaches %g Hz",
                             target.shortest_period(), 1.0 / target.shortest_period(),
                             options.range.high) + narrow);
  }
  if (1.0 / options.range.low > target.longest_period() * (1.0 + kLimitMargin)) {
    throw TargetError("the target " + name +
                      format(" has no period above %g s (%g Hz), but the compared range "
                             "reaches %g Hz",
                             target.longest_period(), 1.0 / target.longest_period(),
                             options.range.low) + narrow);
  }
}

const char* set_name(CriteriaSet set) { return set == CriteriaSet::us ? "us" : "jp"; }

const char* set_source(CriteriaSet set) {
  return set == CriteriaSet::us
             ? "US nuclear review practice for one artificial record (NRC Standard Review "
               "Plan 3.7.1)"
             : "Japanese practice for records compatible with the notification spectra";
}

CriteriaChoice parse_criteria_choice(const std::string& text) {
  if (text == "us") return CriteriaChoice::us;
  if (text == "jp") return CriteriaChoice::jp;
  if (text == "both") return CriteriaChoice::both;
  throw std::invalid_argument("--criteria needs us, jp or both, got '" + text + "'");
}

std::vector<CriteriaSet> chosen_sets(const CriteriaOptions& options) {
  switch (options.sets) {
    case CriteriaChoice::us:
      return {CriteriaSet::us};
    case CriteriaChoice::both:
      return {CriteriaSet::us, CriteriaSet::jp};
    case CriteriaChoice::jp:
      break;
    case CriteriaChoice::automatic:
      if (!options.target.japanese()) return {CriteriaSet::us};
      break;
  }
  return {CriteriaSet::jp};
}

void Verdict::add(const std::string& name, const std::string& figure, bool passes,
                  const std::string& note, const std::string& criterion_source) {
  // A figure printed as "inf" or "nan" was built on a value that is not
  // finite: no figure, and never a pass.
  const bool finite = figure.find("inf") == std::string::npos && figure.find("nan") == std::string::npos;
  if (!finite) {
    criteria.push_back({name, "undefined", false, "not a finite value; " + note, criterion_source});
    failed.push_back(name);
    pass = false;
    return;
  }
  criteria.push_back({name, figure, passes, note, criterion_source});
  if (!passes) failed.push_back(name);
  pass = failed.empty();
}

bool all_pass(const std::vector<Verdict>& verdicts) {
  if (verdicts.empty()) return false;
  for (const Verdict& verdict : verdicts) {
    if (!verdict.pass) return false;
  }
  return true;
}

FrequencyRange parse_frequency_range(const std::string& text) {
  const std::size_t colon = text.find(':');
  FrequencyRange range;
  if (colon == std::string::npos || !read_decimal(text.substr(0, colon), range.low) ||
      !read_decimal(text.substr(colon + 1), range.high)) {
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
    if (!std::isfinite(ratio)) ++fit.non_finite;
    sum += ratio;
  }
  const double count = static_cast<double>(fit.count);
  fit.mean_ratio = sum / count;
  double squares = 0.0;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    const double deviation = points[i].ratio - fit.mean_ratio;
    squares += deviation * deviation;
  }
  fit.ratio_cov = fit.mean_ratio > 0.0 ? std::sqrt(squares / count) / fit.mean_ratio : NAN;
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
  for (const CriteriaSet set : chosen_sets(options)) {
    evaluation.verdicts.push_back(judge(evaluation, set));
  }
  return evaluation;
}

Evaluation evaluate_record(double dt, const std::vector<double>& acc,
                           const CriteriaOptions& options) {
  const std::vector<double> sa =
      pseudo_acceleration_spectrum(acc, dt, options.damping, spectrum_frequencies());
  return evaluate_spectrum(dt, acc.size(), sa, options);
}

void write_verdict(std::ostream& out, const Verdict& verdict) {
  out << "criteria (" << verdict.tag << "): " << verdict.source << "\n";
  for (const Criterion& criterion : verdict.criteria) {
    out << format("%-3s %-14s %-13s %s  ", verdict.tag.c_str(), criterion.name.c_str(),
                  criterion.figure.c_str(), criterion.pass ? "PASS" : "FAIL")
        << criterion.note << "\n";
  }
  out << "verdict (" << verdict.tag << "): ";
  if (verdict.pass) {
    out << "PASS\n";
    return;
  }
  out << "FAIL (";
  for (std::size_t i = 0; i < verdict.failed.size(); ++i) {
    out << (i > 0 ? ", " : "") << verdict.failed[i];
  }
  out << ")\n";
}

}  // namespace groundmotion
