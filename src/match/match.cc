// match.cc: spectral matching of a seed record (see match.h).
#include "match.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "kernels.h"
#include "motion.h"
#include "response.h"
#include "textio/fmt.h"

namespace match {
namespace {

const double kTwoPi = 2.0 * std::acos(-1.0);

// Corner of the acausal high-pass filter of the baseline step, Hz, and the
// order of its (squared Butterworth) magnitude.
constexpr double kHighPassCorner = 0.05;
constexpr int kHighPassOrder = 4;
// Highest power of the polynomial fitted to the displacement; its terms
// are t^2 ... t^kFitDegree, so the fit starts from rest.
constexpr int kFitDegree = 6;
// Share of the record, at its end, over which the end fix acts.
constexpr double kTailShare = 0.25;
// The pull toward the seed's envelope: the exponent of the ratio of the
// two envelopes, grown in proportion once D5-95 has drifted from the
// seed's by more than kPullDrift (up to a full restoration), the window of
// the running RMS that defines the envelopes (s) and the floor (share of
// the largest envelope) that keeps quiet parts finite.
constexpr double kEnvelopePull = 0.25;
constexpr double kPullDrift = 0.15;
constexpr double kEnvelopeWindow = 4.0;
constexpr double kEnvelopeFloor = 0.02;
// The second pass, for seeds the first does not match (short bursts of
// strong motion): its envelope window as a share of the seed's D5-95 (at
// most kEnvelopeWindow), and the frequency, Hz, below which the weak pull
// leaves the record alone. A burst of a few seconds cannot hold the long
// periods of the target at its own length; their content, small in Arias
// intensity, is left to spread while the pull holds the rest.
constexpr double kSecondWindowShare = 0.25;
constexpr double kSecondPullSplit = 0.3;
// How far the goal of the amplitude correction may be steered from the
// aim's goal to bring the mean ratio where the aim wants it (a share).
constexpr double kGoalSteer = 0.04;
// Half-width of the local peak correction, s.
constexpr double kPeakHalfWidth = 0.05;
// Points at or above this frequency, Hz, respond to the peak acceleration
// rather than to spectral content: their shortfall is corrected locally.
constexpr double kRigidFrequency = 30.0;
// The largest factor of one peak correction, up or down.
constexpr double kLargestPeakStep = 1.25;

// The pseudo-acceleration spectrum exactly as
// check::pseudo_acceleration_spectrum computes it (the same oscillator
// steps, in the same order for each frequency), four oscillators at a time
// so that their independent steps overlap.
std::vector<double> spectrum_of(const std::vector<double>& acc, double dt, double zeta,
                                const std::vector<double>& frequencies) {
  constexpr std::size_t kLanes = 4;
  std::vector<double> spectrum(frequencies.size());
  for (std::size_t first = 0; first < frequencies.size(); first += kLanes) {
    const std::size_t lanes = std::min(kLanes, frequencies.size() - first);
    std::vector<spectra::Oscillator> oscillators;
    for (std::size_t lane = 0; lane < lanes; ++lane) {
      oscillators.emplace_back(kTwoPi * frequencies[first + lane], zeta, dt);
    }
    double x[kLanes] = {};
    double v[kLanes] = {};
    double peak[kLanes] = {};
    for (std::size_t i = 1; i < acc.size(); ++i) {
      for (std::size_t lane = 0; lane < lanes; ++lane) {
        oscillators[lane].step(x[lane], v[lane], acc[i - 1], acc[i]);
        const double size = std::fabs(x[lane]);
        if (size > peak[lane]) peak[lane] = size;  // std::fmax for values never NaN
      }
    }
    for (std::size_t lane = 0; lane < lanes; ++lane) {
      const double omega = oscillators[lane].omega();
      spectrum[first + lane] = omega * omega * peak[lane];
    }
  }
  return spectrum;
}

// Iterations without a better iterate after which the matching ends, once
// the best one meets every criterion (if not every aim).
constexpr std::size_t kPatience = 8;

// Smallest power of two at least `count`.
std::size_t power_of_two_at_least(std::size_t count) {
  std::size_t size = 1;
  while (size < count) size *= 2;
  return size;
}

// log(goal / Sa) at the compared points, interpolated linearly on log f:
// faded out over the octave below the lowest point, held above the
// highest. `log_f` ascending.
class CorrectionCurve {
 public:
  CorrectionCurve(const std::vector<double>& frequencies,
                  const std::vector<double>& log_ratio)
      : log_f_(frequencies.size()), log_ratio_(log_ratio) {
    for (std::size_t k = 0; k < frequencies.size(); ++k) log_f_[k] = std::log(frequencies[k]);
  }

  // The factor at `frequency` (> 0). Calls must come by non-decreasing
  // frequency: the search resumes where the last one ended.
  double factor(double frequency) {
    const double x = std::log(frequency);
    if (x <= log_f_.front()) {
      const double fade = 1.0 - (log_f_.front() - x) / std::log(2.0);
      return fade <= 0.0 ? 1.0 : std::exp(fade * log_ratio_.front());
    }
    if (x >= log_f_.back()) return std::exp(log_ratio_.back());
    while (log_f_[next_] < x) ++next_;
    const double weight = (x - log_f_[next_ - 1]) / (log_f_[next_] - log_f_[next_ - 1]);
    return std::exp(log_ratio_[next_ - 1] +
                    weight * (log_ratio_[next_] - log_ratio_[next_ - 1]));
  }

 private:
  std::vector<double> log_f_;
  std::vector<double> log_ratio_;
  std::size_t next_ = 1;
};

// Squared magnitude of a Butterworth high-pass: the filter run forward and
// backward, so without phase shift.
double high_pass_gain(double frequency) {
  const double ratio = std::pow(kHighPassCorner / frequency, 2 * kHighPassOrder);
  return 1.0 / (1.0 + ratio);
}

// How one pass pulls toward the seed's envelope: the window of the
// running RMS (s) and the frequency (Hz) of the crossover below which the
// weak pull does not act; 0 for a pull on the whole record.
struct PullShape {
  double window = kEnvelopeWindow;
  double split = 0.0;
};

// The share of `frequency` (Hz) that lies below the crossover at `split`
// (> 0): a fourth-order complement, smooth on a log axis.
double low_share(double frequency, double split) {
  const double ratio = frequency / split;
  return 1.0 / (1.0 + ratio * ratio * ratio * ratio);
}

// The amplitude correction and the high-pass filter in one pass through
// the Fourier transform of `acc`, zero-padded to a power of two of at
// least twice its length. Leaves in `low` the part of the corrected record
// below `split` Hz (zeros when split is 0).
void correct_amplitudes(std::vector<double>& acc, double dt,
                        const std::vector<double>& frequencies,
                        const std::vector<double>& log_ratio, double split,
                        std::vector<double>& low) {
  const std::size_t size = power_of_two_at_least(2 * acc.size());
  std::vector<dcomplex> spectrum(size, dcomplex{0.0, 0.0});
  for (std::size_t i = 0; i < acc.size(); ++i) spectrum[i].r = acc[i];
  dwvfast(static_cast<integer>(size), spectrum.data(), -1);
  CorrectionCurve curve(frequencies, log_ratio);
  const double bin_width = 1.0 / (static_cast<double>(size) * dt);
  spectrum[0] = {0.0, 0.0};  // the mean is no motion
  for (std::size_t j = 1; j <= size / 2; ++j) {
    const double frequency = static_cast<double>(j) * bin_width;
    const double gain = curve.factor(frequency) * high_pass_gain(frequency);
    spectrum[j].r *= gain;
    spectrum[j].i *= gain;
    if (j != size / 2) spectrum[size - j] = {spectrum[j].r, -spectrum[j].i};
  }
  const double scale = 1.0 / static_cast<double>(size);
  low.assign(acc.size(), 0.0);
  if (split > 0.0) {
    std::vector<dcomplex> low_spectrum = spectrum;
    for (std::size_t j = 1; j < size; ++j) {
      const double share = low_share(static_cast<double>(std::min(j, size - j)) * bin_width, split);
      low_spectrum[j].r *= share;
      low_spectrum[j].i *= share;
    }
    dwvfast(static_cast<integer>(size), low_spectrum.data(), 1);
    for (std::size_t i = 0; i < acc.size(); ++i) low[i] = low_spectrum[i].r * scale;
  }
  dwvfast(static_cast<integer>(size), spectrum.data(), 1);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = spectrum[i].r * scale;
}

// Running RMS of `acc` over a centred window of `half` samples each side.
std::vector<double> running_rms(const std::vector<double>& acc, std::size_t half) {
  const std::size_t n = acc.size();
  std::vector<double> prefix(n + 1, 0.0);
  for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + acc[i] * acc[i];
  std::vector<double> rms(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t first = i > half ? i - half : 0;
    const std::size_t last = std::min(n, i + half + 1);
    rms[i] = std::sqrt(std::max(0.0, prefix[last] - prefix[first]) /
                       static_cast<double>(last - first));
  }
  return rms;
}

// The exponent of the pull for an iterate whose D5-95 is `duration_ratio`
// times the seed's.
double pull_strength(double duration_ratio) {
  const double drift = std::fabs(duration_ratio - 1.0);
  return std::min(1.0, kEnvelopePull * std::max(1.0, drift / kPullDrift));
}

// Pulls `acc` toward the shape in time of `seed_envelope` (the seed's
// running RMS), at the level of `acc`, by the exponent `strength`; `low`
// (as long as `acc`), a part of `acc` left as it is.
void pull_toward_envelope(std::vector<double>& acc,
                          const std::vector<double>& seed_envelope,
                          std::size_t half, double strength,
                          const std::vector<double>& low) {
  const std::vector<double> envelope = running_rms(acc, half);
  double energy = 0.0;
  double seed_energy = 0.0;
  double largest = 0.0;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    energy += envelope[i] * envelope[i];
    seed_energy += seed_envelope[i] * seed_envelope[i];
    largest = std::max(largest, envelope[i]);
  }
  if (!(seed_energy > 0.0) || !(largest > 0.0)) return;
  const double level = std::sqrt(energy / seed_energy);
  const double floor = kEnvelopeFloor * largest;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const double ratio = (level * seed_envelope[i] + floor) / (envelope[i] + floor);
    acc[i] = low[i] + (acc[i] - low[i]) * std::pow(ratio, strength);
  }
}

// Scales the neighbourhood of the largest sample by a smooth bump so that
// the peak becomes `factor` times as large.
void correct_peak(std::vector<double>& acc, double dt, double factor) {
  const std::size_t peak = spectra::find_peak(acc, 0.0, dt).index;
  const long half = std::max(1L, std::lround(kPeakHalfWidth / dt));
  for (long offset = -half; offset <= half; ++offset) {
    const long index = static_cast<long>(peak) + offset;
    if (index < 0 || index >= static_cast<long>(acc.size())) continue;
    const double bump = 0.5 * (1.0 + std::cos(kTwoPi * 0.5 * offset / (half + 1)));
    acc[static_cast<std::size_t>(index)] *= 1.0 + (factor - 1.0) * bump;
  }
}

// Removes from `acc` the second derivative of the least-squares fit of its
// displacement by c2 t^2 + ... + c6 t^6, so that the displacement loses
// its drift while the record still starts from rest. The fit is solved by
// modified Gram-Schmidt on the columns, with t scaled to [0, 1].
void remove_displacement_trend(std::vector<double>& acc, double dt) {
  const std::size_t n = acc.size();
  const std::vector<double> velocity = spectra::integrate_from_rest(acc, dt);
  const std::vector<double> displacement = spectra::integrate_from_rest(velocity, dt);
  constexpr int kTerms = kFitDegree - 1;
  const double span = static_cast<double>(n - 1);
  std::vector<std::vector<double>> basis(kTerms, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    const double u = static_cast<double>(i) / span;
    double power = u;
    for (int term = 0; term < kTerms; ++term) {
      power *= u;
      basis[term][i] = power;
    }
  }
  // Q R = basis; coefficients by back substitution of R c = Q^T d.
  double r[kTerms][kTerms] = {};
  for (int j = 0; j < kTerms; ++j) {
    for (int k = 0; k < j; ++k) {
      double dot = 0.0;
      for (std::size_t i = 0; i < n; ++i) dot += basis[k][i] * basis[j][i];
      r[k][j] = dot;
      for (std::size_t i = 0; i < n; ++i) basis[j][i] -= dot * basis[k][i];
    }
    double norm = 0.0;
    for (std::size_t i = 0; i < n; ++i) norm += basis[j][i] * basis[j][i];
    norm = std::sqrt(norm);
    r[j][j] = norm;
    for (std::size_t i = 0; i < n; ++i) basis[j][i] /= norm;
  }
  double coefficient[kTerms] = {};
  for (int j = 0; j < kTerms; ++j) {
    for (std::size_t i = 0; i < n; ++i) coefficient[j] += basis[j][i] * displacement[i];
  }
  for (int j = kTerms - 1; j >= 0; --j) {
    for (int k = j + 1; k < kTerms; ++k) coefficient[j] -= r[j][k] * coefficient[k];
    coefficient[j] /= r[j][j];
  }
  // d/dt^2 of c u^p with u = t / T: c p (p - 1) u^(p-2) / T^2.
  const double length = span * dt;
  for (std::size_t i = 0; i < n; ++i) {
    const double u = static_cast<double>(i) / span;
    double curvature = 0.0;
    double power = 1.0;
    for (int term = 0; term < kTerms; ++term) {
      const double p = term + 2;
      curvature += coefficient[term] * p * (p - 1.0) * power;
      power *= u;
    }
    acc[i] -= curvature / (length * length);
  }
}

// Final velocity (cm/s) and displacement (cm) of `acc` (gal), integrated
// by the trapezoidal rule from rest, as the check integrates them.
struct Residuals {
  double velocity = 0.0;
  double displacement = 0.0;
};

Residuals final_residuals(const std::vector<double>& acc, double dt) {
  const std::vector<double> velocity = spectra::integrate_from_rest(acc, dt);
  return {velocity.back(), spectra::integrate_from_rest(velocity, dt).back()};
}

// The two shapes of the end fix over the tail: a Hann bump (changes the
// final velocity) and the same bump times a line through its middle
// (changes the final displacement only, to first order).
void tail_shapes(std::size_t n, std::vector<double>& bump, std::vector<double>& tilt) {
  bump.assign(n, 0.0);
  tilt.assign(n, 0.0);
  const std::size_t first = n - std::max<std::size_t>(4, static_cast<std::size_t>(kTailShare * n));
  const double width = static_cast<double>(n - 1 - first);
  for (std::size_t i = first; i < n; ++i) {
    const double u = static_cast<double>(i - first) / width;
    bump[i] = 0.5 * (1.0 - std::cos(kTwoPi * u));
    tilt[i] = bump[i] * (u - 0.5);
  }
}

// Adds to `acc` the combination of the tail shapes that makes its final
// velocity and displacement zero. Exact to rounding: both are linear in
// the record.
void fix_end(std::vector<double>& acc, double dt) {
  std::vector<double> bump;
  std::vector<double> tilt;
  tail_shapes(acc.size(), bump, tilt);
  const Residuals record = final_residuals(acc, dt);
  const Residuals from_bump = final_residuals(bump, dt);
  const Residuals from_tilt = final_residuals(tilt, dt);
  const double det = from_bump.velocity * from_tilt.displacement -
                     from_tilt.velocity * from_bump.displacement;
  const double c_bump = (-record.velocity * from_tilt.displacement +
                         from_tilt.velocity * record.displacement) / det;
  const double c_tilt = (-from_bump.velocity * record.displacement +
                         record.velocity * from_bump.displacement) / det;
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] += c_bump * bump[i] + c_tilt * tilt[i];
}

// The points matched: the compared points of the check, their
// frequencies and the target there.
struct Problem {
  double dt = 0.0;
  spectra::ComparedPoints compared;
  std::vector<double> frequencies;  // Hz, ascending
  std::vector<double> target;       // gal
};

Problem make_problem(double dt, const spectra::CriteriaOptions& criteria) {
  Problem problem;
  problem.dt = dt;
  problem.compared = spectra::select_points(dt, criteria.range);
  const std::vector<double> grid = spectra::spectrum_frequencies();
  for (std::size_t i = problem.compared.in_range_first; i < problem.compared.compared_end; ++i) {
    problem.frequencies.push_back(grid[i]);
    problem.target.push_back(spectra::damped_target(1.0 / grid[i], criteria.damping));
  }
  return problem;
}

double significant_duration_of(const std::vector<double>& acc, double dt) {
  const spectra::SignificantDuration duration =
      spectra::significant_duration(spectra::arias_history(acc, dt), 0.0, dt);
  return duration.defined ? duration.length() : 0.0;
}

// An iterate judged by the check's criteria and the matching's own.
struct Quality {
  double lowest = 0.0;
  double lowest_frequency = 0.0;
  double highest = 0.0;
  double highest_frequency = 0.0;
  double mean = 0.0;
  bool pass = false;       // every criterion holds
  bool meets_aim = false;  // and with the margins aimed at
  double shortfall = 0.0;  // sum of the distances from the aim
};

// `sa` at the compared points; `duration_ratio` D5-95 over the seed's.
Quality assess(const Problem& problem, std::size_t sample_count, const std::vector<double>& sa,
               const spectra::CriteriaOptions& criteria, const Aim& aim,
               double duration_ratio) {
  std::vector<double> grid_sa(spectra::spectrum_frequencies().size(), 0.0);
  std::copy(sa.begin(), sa.end(),
            grid_sa.begin() + static_cast<std::ptrdiff_t>(problem.compared.in_range_first));
  const spectra::Evaluation evaluation =
      spectra::evaluate_spectrum(problem.dt, sample_count, grid_sa, criteria);
  const spectra::SpectrumFit& fit = evaluation.fit;
  Quality quality;
  quality.lowest = evaluation.points[fit.lowest].ratio;
  quality.lowest_frequency = evaluation.points[fit.lowest].frequency;
  quality.highest = evaluation.points[fit.highest].ratio;
  quality.highest_frequency = evaluation.points[fit.highest].frequency;
  quality.mean = fit.mean_ratio;
  const double drift = std::fabs(duration_ratio - 1.0);
  quality.pass = evaluation.pass() && drift <= kMaxDurationChange;
  quality.shortfall = std::max(0.0, aim.lowest_ratio - quality.lowest) +
                      std::max(0.0, quality.highest - aim.highest_ratio) +
                      std::max(0.0, aim.lowest_mean - fit.mean_ratio) +
                      std::max(0.0, fit.mean_ratio - aim.highest_mean) +
                      std::max(0.0, fit.ratio_cov - kAimRatioCov) +
                      std::max(0.0, spectra::kMinSiRatio - fit.si_ratio) +
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

bool better(const Quality& a, const Quality& b) {
  if (a.pass != b.pass) return a.pass;
  return a.shortfall < b.shortfall;
}

double peak_of(const std::vector<double>& acc) {
  return std::fabs(spectra::find_peak(acc, 0.0, 0.0).value);
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

// Rounds `acc` as the file writes it, then cancels the final velocity and
// displacement the rounding left with the end fix, rounded again; a few
// rounds suffice as each leaves a residual smaller by orders of magnitude.
std::vector<double> written_record(std::vector<double> acc, double dt) {
  constexpr int kRounds = 3;
  for (double& value : acc) value = as_written(value);
  for (int round = 0; round < kRounds; ++round) {
    fix_end(acc, dt);
    for (double& value : acc) value = as_written(value);
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

Pass run_pass(const spectra::Record& seed, const Settings& settings, const Problem& problem,
              const PullShape& shape) {
  const double dt = seed.dt;
  const std::size_t half = static_cast<std::size_t>(std::lround(0.5 * shape.window / dt));
  const std::vector<double> seed_envelope = running_rms(seed.acc, half);
  const double seed_duration = significant_duration_of(seed.acc, dt);
  const Aim aim = aim_for(spectra::chosen_sets(settings.criteria));
  Pass pass;
  double goal = aim.goal;
  std::vector<double> current = seed.acc;
  std::vector<double> low;
  for (int iteration = 0;; ++iteration) {
    const std::vector<double> sa =
        spectrum_of(current, dt, settings.criteria.damping, problem.frequencies);
    const double duration = significant_duration_of(current, dt);
    const Quality quality = assess(problem, current.size(), sa, settings.criteria, aim,
                                   seed_duration > 0.0 ? duration / seed_duration : 0.0);
    pass.iterations.push_back({quality.lowest, quality.lowest_frequency, quality.highest,
                               quality.highest_frequency, quality.meets_aim});
    if (iteration == 0 || better(quality, pass.best_quality)) {
      pass.best_quality = quality;
      pass.best_record = current;
      pass.best = pass.iterations.size() - 1;
    }
    const bool stalled = pass.best_quality.pass &&
                         pass.iterations.size() - 1 - pass.best >= kPatience;
    if (quality.meets_aim || stalled || iteration == settings.max_iterations) break;

    if (iteration > 0) goal = steer_goal(goal, aim, quality.mean);
    std::vector<double> log_ratio(sa.size(), 0.0);
    for (std::size_t k = 0; k < sa.size(); ++k) {
      if (sa[k] > 0.0) log_ratio[k] = std::log(goal * problem.target[k] / sa[k]);
    }
    const double previous_peak = peak_of(current);
    correct_amplitudes(current, dt, problem.frequencies, log_ratio, shape.split, low);
    pull_toward_envelope(current, seed_envelope, half,
                         pull_strength(seed_duration > 0.0 ? duration / seed_duration : 1.0),
                         low);
    correct_peak(current, dt, peak_factor(sa, problem, goal, previous_peak, current));
    remove_displacement_trend(current, dt);
    fix_end(current, dt);
  }
  return pass;
}

}  // namespace

Aim aim_for(const std::vector<spectra::CriteriaSet>& sets) {
  assert(!sets.empty());
  if (sets.size() > 1) return {1.02, 1.0, 1.04, 1.0, 1.0 + spectra::kMaxMeanError};
  if (sets.front() == spectra::CriteriaSet::us) return {1.05, 0.95, 1.25, 0.0, HUGE_VAL};
  return {1.005, spectra::kBandLow, 1.25, 1.0, 1.01};
}

MatchResult match_record(const spectra::Record& seed, const Settings& settings) {
  assert(seed.acc.size() >= kMinSamples && seed.dt > 0.0);
  assert(settings.max_iterations >= 1);
  const Problem problem = make_problem(seed.dt, settings.criteria);
  assert(!problem.frequencies.empty());

  Pass kept = run_pass(seed, settings, problem, PullShape{});
  MatchResult result;
  result.iterations = kept.iterations;
  if (!kept.best_quality.pass) {
    PullShape shape;
    const double seed_duration = significant_duration_of(seed.acc, seed.dt);
    if (seed_duration > 0.0) {
      shape.window = std::min(kEnvelopeWindow, kSecondWindowShare * seed_duration);
    }
    shape.split = kSecondPullSplit;
    Pass second = run_pass(seed, settings, problem, shape);
    result.second_pass = result.iterations.size();
    result.iterations.insert(result.iterations.end(), second.iterations.begin(),
                             second.iterations.end());
    if (better(second.best_quality, kept.best_quality)) {
      second.best += result.second_pass;
      kept = std::move(second);
    }
  }
  result.best = kept.best;
  result.acc = written_record(kept.best_record, seed.dt);
  return result;
}

double as_written(double value) {
  char field[12];
  textio::fmt::edit_e(field, value, 12, 4);
  double read = 0.0;
  double resolution = 0.0;
  const bool ok = spectra::parse_number(std::string_view(field, sizeof field), read, resolution);
  assert(ok);
  (void)ok;
  return read;
}

}  // namespace match
