// match.h: matching a seed record to the target spectrum.
//
// The seed keeps its Fourier phases and, loosely, its envelope in time; its
// amplitudes are corrected until its response spectrum fits the target.
// Every iteration alternates two steps:
//
//  1. amplitude correction (amplitude_correction.h): the response spectrum at the compared points,
//     the ratio goal / Sa interpolated on a logarithmic frequency axis and
//     applied to the Fourier amplitudes of the record zero-padded to at
//     least twice its length (phases kept), the goal a little above the
//     target; the correction fades out over the octave below the lowest
//     compared point. A weak pull toward the seed's envelope and a local
//     correction of the peak acceleration (Sa at the highest frequencies)
//     follow (envelope_pull.h, amplitude_correction.h).
//  2. baseline step (baseline.h): an acausal high-pass filter, tapers at
//     both ends, the least-squares spline fit of the displacement taken out
//     with the end conditions, the long-period motion brought to rest in
//     the seed's quiet tail (quiet_tail below), and an exact end fix of what
//     that leaves, so that the final velocity and displacement (trapezoidal
//     rule, from rest) are zero.
//
// The best iterate is kept. When it misses a criterion (a short burst of
// strong motion, whose long periods the pull keeps squeezing into it), a
// second pass starts again from the seed with an envelope window fitted to
// the seed's D5-95 and the pull acting only above a low crossover; the
// better of the two passes is kept. The result is rounded as the record file writes
// it (E12.4, record_file.h), each sample with the rounding errors before it
// carried over, and its final velocity and displacement brought back to
// zero by a tiny correction in the tail.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "criteria.h"
#include "record.h"
#include "record_file.h"
#include "tuning.h"

namespace match {

// The worst low and high ratios of one iterate, over the compared points.
struct IterationSummary {
  double lowest_ratio = 0.0;
  double lowest_frequency = 0.0;   // Hz
  double highest_ratio = 0.0;
  double highest_frequency = 0.0;  // Hz
  bool meets_aim = false;  // every criterion held, with the margins aimed at
};

// What the matching aims at, inside the criteria of the chosen sets: the
// goal of the amplitude correction relative to the target, and the margins
// that end the matching once an iterate meets them.
struct Aim {
  double goal = 1.0;
  double lowest_ratio = 0.0;   // every ratio at least
  double highest_ratio = 0.0;  // every ratio at most
  double lowest_mean = 0.0;    // the mean ratio within these
  double highest_mean = 0.0;
  double lowest_si = 0.0;      // the SI ratio at least (0: free)
};

// The aim for `sets` (not empty): the us, jp or both figures of tuning.h.
Aim aim_for(const std::vector<groundmotion::CriteriaSet>& sets);

// What the matching reads besides the seed: the check's damping and range,
// and the most correction steps of one pass.
struct Settings {
  groundmotion::CriteriaOptions criteria;
  int max_iterations = kDefaultMaxIterations;  // >= 1
  OutputLayout output;  // the file the result is rounded as
  // Called as each iterate is judged, with its pass (1 or 2), its number in
  // the pass (0: the seed) and its summary; none when empty.
  std::function<void(int pass, int iteration, const IterationSummary&)> on_iteration;
};

// Where a matched record's long-period motion is at rest: from the later of
// the seed's (1 - kQuietShare) Arias time and its 95 % Arias time plus the
// build-up time T / (2 pi h) of an oscillator at the longest compared
// period T with the damping h (a seed shorter than that cannot hold the
// target's longest periods by itself), reached over a ramp that starts
// that build-up time earlier, not before the 95 % time.
struct QuietTail {
  double ramp_start = 0.0;  // s
  double start = 0.0;       // s; one step past the last sample when there is none
};

// The quiet tail of `seed` (dt > 0) for the compared points and damping of
// `criteria`.
QuietTail quiet_tail(const groundmotion::Record& seed, const groundmotion::CriteriaOptions& criteria);

struct MatchResult {
  std::vector<double> acc;  // the matched record, gal, as the file writes it
  std::vector<IterationSummary> iterations;  // [0] is the seed itself
  std::size_t best = 0;  // index in `iterations` of the record kept
  // Index in `iterations` where the second pass begins (the seed again),
  // 0 when the first pass met every criterion and no second one ran.
  std::size_t second_pass = 0;
  // The seed's quiet tail, and the largest distance there (cm, see
  // tail_excursion in baseline.h) of the seed's ground from its final steady
  // glide and of the matched ground from rest.
  QuietTail quiet;
  double seed_tail_excursion = 0.0;
  double tail_excursion = 0.0;
};

// Matches `seed` (at least kMinSamples samples) to the target at the compared points
// of settings.criteria. Deterministic: the same seed and settings give the
// same values on every run.
MatchResult match_record(const groundmotion::Record& seed, const Settings& settings);

}  // namespace match
