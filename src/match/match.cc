// match.cc: the passes of the matching (see match.h); each step of an
// iteration lives in its own file.
#include "match.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "baseline.h"
#include "envelope_pull.h"
#include "localization.h"
#include "motion.h"
#include "record_file.h"
#include "response.h"
#include "amplitude_correction.h"

namespace match {
namespace {

// How one pass keeps the seed's character in time: the window of the
// running RMS (s) of the pull toward the seed's envelope, the frequency
// (Hz) of the crossover below which the weak pull does not act (0 for a
// pull on the whole record), and whether each correction is localized.
struct PullShape {
  double window = kEnvelopeWindow;
  double split = 0.0;
  bool localized = true;  // each correction kept where the seed's energy is, band by band
};

// The points matched: the compared points of the check, their
// frequencies and the target there; where the seed's strong motion lies and
// the tapers that bring the ends to rest.
struct Problem {
  double dt = 0.0;
  std::size_t start_taper = 1;  // samples
  std::size_t end_taper = 1;
  // The seed's quiet tail, and the ramp before it over which the
  // long-period motion comes to rest, in samples.
  QuietTail quiet;
  std::size_t rest_start = 0;
  std::size_t rest_ramp = 1;
  groundmotion::ComparedPoints compared;
  std::vector<double> frequencies;  // Hz, ascending
  std::vector<double> target;       // gal
};

// The samples of a taper of at most `longest` s and at most half of
// `room` s (the time before or after the seed's strong motion), at least 1.
std::size_t taper_samples(double longest, double dt, double room) {
  return std::max<std::size_t>(1, static_cast<std::size_t>(std::floor(std::min(longest, 0.5 * room) / dt)));
}

Problem make_problem(const groundmotion::Record& seed, const groundmotion::CriteriaOptions& criteria) {
  const double dt = seed.dt;
  Problem problem;
  problem.dt = dt;
  const groundmotion::SignificantDuration strong =
      groundmotion::significant_duration(groundmotion::arias_history(seed.acc, dt), 0.0, dt);
  const double length = static_cast<double>(seed.acc.size() - 1) * dt;
  problem.start_taper = taper_samples(kStartTaper, dt, strong.defined ? strong.start : length);
  problem.end_taper =
      taper_samples(kEndTaper, dt, strong.defined ? length - strong.end : length);
  problem.compared = groundmotion::select_points(dt, criteria.range);
  problem.quiet = quiet_tail(seed, criteria);
  problem.rest_start = static_cast<std::size_t>(std::ceil(problem.quiet.ramp_start / dt));
  problem.rest_ramp = std::max<std::size_t>(
      1, static_cast<std::size_t>(std::floor((problem.quiet.start - problem.quiet.ramp_start) / dt)));
  const std::vector<double> grid = groundmotion::spectrum_frequencies();
  for (std::size_t i = problem.compared.in_range_first; i < problem.compared.compared_end; ++i) {
    problem.frequencies.push_back(grid[i]);
    problem.target.push_back(criteria.target.sa(1.0 / grid[i], criteria.damping));
  }
  return problem;
}

double significant_duration_of(const std::vector<double>& acc, double dt) {
  const groundmotion::SignificantDuration duration =
      groundmotion::significant_duration(groundmotion::arias_history(acc, dt), 0.0, dt);
  return duration.defined ? duration.length() : 0.0;
}

// An iterate judged by the check's criteria and the matching's own.
struct Quality {
  double lowest = 0.0;
  double lowest_frequency = 0.0;
  double highest = 0.0;
  double highest_frequency = 0.0;
  double mean = 0.0;
  double si = 0.0;         // SI ratio
  bool pass = false;       // every criterion holds
  bool meets_aim = false;  // and with the margins aimed at
  double shortfall = 0.0;  // sum of the distances from the aim
};

// `sa` at the compared points; `duration_ratio` D5-95 over the seed's.
Quality assess(const Problem& problem, std::size_t sample_count, const std::vector<double>& sa,
               const groundmotion::CriteriaOptions& criteria, const Aim& aim,
               double duration_ratio) {
  std::vector<double> grid_sa(groundmotion::spectrum_frequencies().size(), 0.0);
  std::copy(sa.begin(), sa.end(),
            grid_sa.begin() + static_cast<std::ptrdiff_t>(problem.compared.in_range_first));
  const groundmotion::Evaluation evaluation =
      groundmotion::evaluate_spectrum(problem.dt, sample_count, grid_sa, criteria);
  const groundmotion::SpectrumFit& fit = evaluation.fit;
  Quality quality;
  quality.lowest = evaluation.points[fit.lowest].ratio;
  quality.lowest_frequency = evaluation.points[fit.lowest].frequency;
  quality.highest = evaluation.points[fit.highest].ratio;
  quality.highest_frequency = evaluation.points[fit.highest].frequency;
  quality.mean = fit.mean_ratio;
  quality.si = fit.si_ratio;
  const double drift = std::fabs(duration_ratio - 1.0);
  // Rounded as the file writes it, the record's Sa moves by some
  // millionths: an iterate passes only when it would with every Sa
  // kRoundingMargin lower and higher too.
  const auto passes_scaled = [&](double scale) {
    std::vector<double> scaled = grid_sa;
    for (double& value : scaled) value *= scale;
    return groundmotion::evaluate_spectrum(problem.dt, sample_count, scaled, criteria).pass();
  };
  quality.pass = evaluation.pass() && drift <= kMaxDurationChange &&
                 passes_scaled(1.0 - kRoundingMargin) && passes_scaled(1.0 + kRoundingMargin);
  quality.shortfall = std::max(0.0, aim.lowest_ratio - quality.lowest) +
                      std::max(0.0, quality.highest - aim.highest_ratio) +
                      std::max(0.0, aim.lowest_mean - fit.mean_ratio) +
                      std::max(0.0, fit.mean_ratio - aim.highest_mean) +
                      std::max(0.0, fit.ratio_cov - kAimRatioCov) +
                      std::max(0.0, aim.lowest_si - fit.si_ratio) +
                      std::max(0.0, drift - kAimDurationChange);
  quality.meets_aim = quality.pass && quality.shortfall == 0.0;
  return quality;
}

// The goal of the next amplitude correction: `goal` moved so that the mean
// ratio, `mean` after a correction toward `goal`, comes to the middle of the
// aim's range of the mean; within kGoalSteer of the aim's goal either way.
// Unchanged when the aim leaves the mean free.
double steer_goal(double goal, const Aim& aim, double mean) {
  if (!std::isfinite(aim.highest_mean) || !(mean > 0.0)) return goal;
  const double middle = 0.5 * (aim.lowest_mean + aim.highest_mean);
  return std::clamp(goal * middle / mean, aim.goal * (1.0 - kGoalSteer),
                    aim.goal * (1.0 + kGoalSteer));
}

// The factor on the goal over the SI periods: `factor` moved so that the
// SI ratio `si` comes to the aim's; within kSiSteer of 1 either way.
// Unchanged when the aim leaves SI free.
double steer_si(double factor, const Aim& aim, double si) {
  if (!(aim.lowest_si > 0.0) || !(si > 0.0)) return factor;
  return std::clamp(factor * aim.lowest_si / si, 1.0 - kSiSteer, 1.0 + kSiSteer);
}

// Whether `frequency` (Hz) lies in the SI period range.
bool in_si_range(double frequency) {
  const double period = 1.0 / frequency;
  return period >= groundmotion::kSiPeriodLow * (1.0 - groundmotion::kLimitMargin) &&
         period <= groundmotion::kSiPeriodHigh * (1.0 + groundmotion::kLimitMargin);
}

bool better(const Quality& a, const Quality& b) {
  if (a.pass != b.pass) return a.pass;
  return a.shortfall < b.shortfall;
}

double peak_of(const std::vector<double>& acc) {
  return std::fabs(groundmotion::find_peak(acc, 0.0, 0.0).value);
}

// The peak correction's factor: the peak that would put Sa at the highest
// compared point at its goal, if Sa there keeps its ratio to the peak of
// the previous iterate, over the peak now. 1 when no compared point
// responds to the peak alone.
double peak_factor(const std::vector<double>& sa, const Problem& problem, double goal,
                   double previous_peak, const std::vector<double>& acc) {
  const std::size_t top = problem.frequencies.size() - 1;
  if (problem.frequencies[top] < kRigidFrequency || !(previous_peak > 0.0) ||
      !(sa[top] > 0.0)) {
    return 1.0;
  }
  const double peak = peak_of(acc);
  if (!(peak > 0.0)) return 1.0;
  const double wanted = goal * problem.target[top] * previous_peak / sa[top];
  return std::clamp(wanted / peak, 1.0 / kLargestPeakStep, kLargestPeakStep);
}

// The last steps of every iteration: tapers at both ends, the
// displacement's trend taken out with the end conditions, the long-period
// motion brought to rest in the seed's quiet tail, and what that left of
// the final velocity and displacement cancelled.
void bring_to_rest(std::vector<double>& acc, const Problem& problem) {
  taper_ends(acc, problem.start_taper, problem.end_taper);
  remove_displacement_trend(acc, problem.dt);
  rest_tail(acc, problem.dt, problem.rest_start, problem.rest_ramp);
  fix_end(acc, problem.dt);
}

// Rounds `acc` as the file writes it. Up to the ramp before the seed's
// quiet tail each sample is rounded with what the rounding of those before
// it left over (error diffusion): the running sum of the rounding errors,
// and so the error of the velocity, stays within half a unit of the last
// written digit, where rounding each sample on its own lets it wander off
// and the displacement drift by centimetres. From the ramp on the samples
// are small and their units fine, so each is rounded on its own: what
// would be carried over from the strong motion holds the last bits of the
// arithmetic there, which differ from one mathematics library to another,
// and would decide the last digit of samples of a ten-thousandth of a gal.
// The final velocity and displacement this leaves, some millionths, are
// cancelled by the end fix, rounded again; a few rounds suffice as each
// leaves a residual smaller by orders of magnitude.
std::vector<double> written_record(std::vector<double> acc, const Problem& problem,
                                   const OutputLayout& layout) {
  double carried = 0.0;  // gal: the rounding errors so far, summed
  for (std::size_t i = 0; i < acc.size(); ++i) {
    if (i >= problem.rest_start) carried = 0.0;
    const double wanted = acc[i] - carried;
    acc[i] = as_written(wanted, layout);
    carried = acc[i] - wanted;
  }
  for (int round = 0; round < kWrittenRounds; ++round) {
    fix_end(acc, problem.dt);
    for (double& value : acc) value = as_written(value, layout);
  }
  return acc;
}

// One pass of the matching from the seed: its iterations, the index of
// the best among them, that iterate (unrounded) and its quality.
struct Pass {
  std::vector<IterationSummary> iterations;
  std::size_t best = 0;
  std::vector<double> best_record;
  Quality best_quality;
};

Pass run_pass(const groundmotion::Record& seed, const Settings& settings, const Problem& problem,
              const PullShape& shape, int pass_number) {
  const double dt = seed.dt;
  const std::size_t half = static_cast<std::size_t>(std::lround(0.5 * shape.window / dt));
  const std::vector<double> seed_envelope = running_rms(seed.acc, half);
  const double seed_duration = significant_duration_of(seed.acc, dt);
  const std::vector<std::vector<double>> band_weights =
      shape.localized ? seed_band_weights(seed.acc, dt) : std::vector<std::vector<double>>{};
  const Aim aim = aim_for(groundmotion::chosen_sets(settings.criteria));
  Pass pass;
  double goal = aim.goal;
  double si_factor = 1.0;
  std::vector<double> current = seed.acc;
  std::vector<double> low;
  for (int iteration = 0;; ++iteration) {
    const std::vector<double> sa = groundmotion::pseudo_acceleration_spectrum(
        current, dt, settings.criteria.damping, problem.frequencies);
    const double duration = significant_duration_of(current, dt);
    const Quality quality = assess(problem, current.size(), sa, settings.criteria, aim,
                                   seed_duration > 0.0 ? duration / seed_duration : 0.0);
    pass.iterations.push_back({quality.lowest, quality.lowest_frequency, quality.highest,
                               quality.highest_frequency, quality.meets_aim});
    if (settings.on_iteration) settings.on_iteration(pass_number, iteration, pass.iterations.back());
    if (iteration == 0 || better(quality, pass.best_quality)) {
      pass.best_quality = quality;
      pass.best_record = current;
      if (iteration == 0) bring_to_rest(pass.best_record, problem);  // the seed as it is
      pass.best = pass.iterations.size() - 1;
    }
    const bool stalled = pass.best_quality.pass &&
                         pass.iterations.size() - 1 - pass.best >= kPatience;
    if (quality.meets_aim || stalled || iteration == settings.max_iterations) break;

    if (iteration > 0) {
      goal = steer_goal(goal, aim, quality.mean);
      si_factor = steer_si(si_factor, aim, quality.si);
    }
    std::vector<double> log_ratio(sa.size(), 0.0);
    for (std::size_t k = 0; k < sa.size(); ++k) {
      const double wanted =
          goal * (in_si_range(problem.frequencies[k]) ? si_factor : 1.0) * problem.target[k];
      if (sa[k] > 0.0) log_ratio[k] = std::log(wanted / sa[k]);
    }
    const double previous_peak = peak_of(current);
    const std::vector<double> before = current;
    correct_amplitudes(current, dt, problem.frequencies, log_ratio, shape.split, low);
    if (!band_weights.empty()) localize_change(current, before, band_weights, dt);
    pull_toward_envelope(current, seed_envelope, half,
                         pull_strength(seed_duration > 0.0 ? duration / seed_duration : 1.0),
                         low);
    correct_peak(current, dt, peak_factor(sa, problem, goal, previous_peak, current));
    bring_to_rest(current, problem);
  }
  return pass;
}

}  // namespace

QuietTail quiet_tail(const groundmotion::Record& seed, const groundmotion::CriteriaOptions& criteria) {
  assert(seed.dt > 0.0);
  const double dt = seed.dt;
  const double past_end = static_cast<double>(seed.acc.size()) * dt;
  const std::vector<double> arias = groundmotion::arias_history(seed.acc, dt);
  const groundmotion::SignificantDuration strong = groundmotion::significant_duration(arias, 0.0, dt);
  const groundmotion::SignificantDuration quiet =
      groundmotion::significant_duration(arias, 0.0, dt, 0.0, 1.0 - kQuietShare);
  const std::size_t longest = groundmotion::select_points(dt, criteria.range).in_range_first;
  const double build_up = 1.0 / (groundmotion::spectrum_frequencies()[longest] * 2.0 *
                                 std::acos(-1.0) * criteria.damping);
  if (!strong.defined || !quiet.defined) return {past_end, past_end};
  const double start = std::max(quiet.end, strong.end + build_up);
  if (start >= past_end) return {past_end, past_end};
  return {std::max(strong.end, start - build_up), start};
}

Aim aim_for(const std::vector<groundmotion::CriteriaSet>& sets) {
  assert(!sets.empty());
  if (sets.size() > 1) {
    return {kBothGoal, kBothLowestRatio, kBothHighestRatio, 1.0 - groundmotion::kMaxMeanError,
            1.0 + groundmotion::kMaxMeanError, kAimSiRatio};
  }
  if (sets.front() == groundmotion::CriteriaSet::us) {
    return {kUsGoal, kUsLowestRatio, kUsHighestRatio, 0.0, HUGE_VAL};
  }
  return {kJpGoal, groundmotion::kBandLow, kUsHighestRatio, kJpLowestMean, kJpHighestMean,
          kAimSiRatio};
}

MatchResult match_record(const groundmotion::Record& seed, const Settings& settings) {
  assert(seed.acc.size() >= kMinSamples && seed.dt > 0.0);
  assert(settings.max_iterations >= 1);
  const Problem problem = make_problem(seed, settings.criteria);
  assert(!problem.frequencies.empty());

  Pass kept = run_pass(seed, settings, problem, PullShape{}, 1);
  MatchResult result;
  result.iterations = kept.iterations;
  if (!kept.best_quality.pass) {
    PullShape shape;
    const double seed_duration = significant_duration_of(seed.acc, seed.dt);
    if (seed_duration > 0.0) {
      shape.window = std::min(kEnvelopeWindow, kSecondWindowShare * seed_duration);
    }
    shape.split = kSecondPullSplit;
    shape.localized = false;
    Pass second = run_pass(seed, settings, problem, shape, 2);
    result.second_pass = result.iterations.size();
    result.iterations.insert(result.iterations.end(), second.iterations.begin(),
                             second.iterations.end());
    if (better(second.best_quality, kept.best_quality)) {
      second.best += result.second_pass;
      kept = std::move(second);
    }
  }
  result.best = kept.best;
  result.acc = written_record(kept.best_record, problem, settings.output);
  result.quiet = problem.quiet;
  const auto quiet_from = static_cast<std::size_t>(std::ceil(result.quiet.start / seed.dt));
  result.seed_tail_excursion = tail_excursion(seed.acc, seed.dt, quiet_from);
  result.tail_excursion = tail_excursion(result.acc, seed.dt, quiet_from);
  return result;
}

}  // namespace match
