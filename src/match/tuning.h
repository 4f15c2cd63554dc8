// tuning.h: every tunable figure of the matching, in one place. The steps
// (amplitude_correction.h, envelope_pull.h, baseline.h) and the passes
// (match.h) read them from here.
#pragma once

#include <cstddef>

namespace match {

// --- the passes (match.cc) ---

constexpr int kDefaultMaxIterations = 40;
// The fewest samples the baseline step can work on: the displacement's
// spline and the end fix and the tapers need room.
constexpr std::size_t kMinSamples = 64;

// D5-95 of the result may differ from the seed's by this share at most.
constexpr double kMaxDurationChange = 0.30;
// Residual velocity (cm/s) and displacement (cm) allowed at the end.
constexpr double kMaxResidualVelocity = 1.0;
constexpr double kMaxResidualDisplacement = 5.0;
// How far (cm) the matched ground may stray from rest in the seed's quiet
// tail beyond the distance the seed's own motion there moves it.
constexpr double kMaxTailExcursion = 2.0;

// What each choice of sets aims at (see aim_for in match.h): the goal of
// the amplitude correction relative to the target, and the margins inside
// the criteria that end the matching once an iterate meets them.
// us: every ratio from 0.95 to 1.25 about a goal of 1.05, the mean free.
constexpr double kUsGoal = 1.05;
constexpr double kUsLowestRatio = 0.95;
constexpr double kUsHighestRatio = 1.25;
// jp: the mean 1.00 to 1.01 with every ratio at least the us band's 0.90.
constexpr double kJpGoal = 1.005;
constexpr double kJpLowestMean = 1.0;
constexpr double kJpHighestMean = 1.01;
// both: every ratio from 1.00 to 1.04 and the mean at most 1.02, which
// meets both sets at once.
constexpr double kBothGoal = 1.02;
constexpr double kBothLowestRatio = 1.0;
constexpr double kBothHighestRatio = 1.04;
// For every choice.
constexpr double kAimDurationChange = 0.10;
constexpr double kAimRatioCov = 0.045;
// How far the goal may be steered from the aim's to bring the mean ratio
// into the aim's range (a share either way).
constexpr double kGoalSteer = 0.04;
// The SI ratio the jp and both aims steer the goal over the SI periods
// toward, a little above the jp set's 1.0 (the mean weights every point
// alike, the SI the long periods most), and how far that goal may move.
constexpr double kAimSiRatio = 1.01;
constexpr double kSiSteer = 0.04;

// Iterations without a better iterate after which the matching ends, once
// the best one meets every criterion (if not every aim).
constexpr std::size_t kPatience = 8;

// The second pass, for seeds the first does not match (short bursts of
// strong motion): its envelope window as a share of the seed's D5-95 (at
// most kEnvelopeWindow), and the frequency, Hz, below which the weak pull
// leaves the record alone. A burst of a few seconds cannot hold the long
// periods of the target at its own length; their content, small in Arias
// intensity, is left to spread while the pull holds the rest.
constexpr double kSecondWindowShare = 0.25;
constexpr double kSecondPullSplit = 0.3;

// Rounds of the end fix after the record is rounded as the file writes it.
constexpr int kWrittenRounds = 3;
// The share by which rounding as the file writes it may move Sa, with a
// wide margin: an iterate counts as meeting the criteria only when it would
// with its Sa that much lower and higher.
constexpr double kRoundingMargin = 1e-4;

// The octave bands of the report's D5-95 by band and of the localization
// of the first pass's corrections (band_duration.cc, localization.cc):
// from 0.1 Hz, eight of them, up to 25.6 Hz; and the lowest band whose
// growth the report's worst change counts (the first band is left out: the
// target's 0.1 Hz content has little room in a short strong motion).
constexpr double kBandLowest = 0.1;  // Hz
constexpr int kBandCount = 8;
constexpr double kBandWorstFrom = 0.2;  // Hz
// The seed's envelope in each band, which weights the first pass's
// corrections there, is its running RMS over at least this many periods of
// the band's lower edge (and at least kEnvelopeWindow).
constexpr double kLocalPeriods = 2.0;

// --- the seed before matching (resample.cc, cli.cc) ---

// A seed whose step is above the time-step criterion's limit
// (groundmotion::kMaxTimeStep) is refined to that limit; --pad extends a seed
// shorter than the duration criterion's groundmotion::kMinDuration to it.
// Resampling interpolates a grid at least this many times finer than the
// coarser of the two steps, and, when coarsening, keeps the content below
// this share of the new Nyquist frequency whole and fades out the rest.
constexpr double kResampleOversampling = 16.0;
constexpr double kResamplePassShare = 0.8;

// --- the amplitude correction (amplitude_correction.cc) ---

// Half-width of the local peak correction, s.
constexpr double kPeakHalfWidth = 0.05;
// Points at or above this frequency, Hz, respond to the peak acceleration
// rather than to spectral content: their shortfall is corrected locally.
constexpr double kRigidFrequency = 30.0;
// The largest factor of one peak correction, up or down.
constexpr double kLargestPeakStep = 1.25;
// For a record whose Nyquist frequency lies below the grid's top, the
// share of the Nyquist frequency from which the amplitude correction fades
// to none at it (nyquist_share in amplitude_correction.h).
constexpr double kNyquistFadeStart = 0.8;

// --- the envelope pull (envelope_pull.cc) ---

// The exponent of the ratio of the two envelopes, grown in proportion once
// D5-95 has drifted from the seed's by more than kPullDrift (up to a full
// restoration), the window of the running RMS that defines the envelopes
// (s) and the floor (share of the largest envelope) that keeps quiet parts
// finite.
constexpr double kEnvelopePull = 0.25;
constexpr double kPullDrift = 0.15;
constexpr double kEnvelopeWindow = 4.0;
constexpr double kEnvelopeFloor = 0.02;

// --- the baseline step (baseline.cc) ---

// Corner of the acausal high-pass filter, Hz, and the order of its
// (squared Butterworth) magnitude.
constexpr double kHighPassCorner = 0.05;
constexpr int kHighPassOrder = 4;
// The spacing, s, of the knots of the cubic spline fitted to the
// displacement, and the fewest intervals between them on a short record.
constexpr double kTrendKnotSpacing = 20.0;
constexpr std::size_t kFewestTrendIntervals = 4;
// The seed's quiet tail (quiet_tail in match.h) begins once all but
// kQuietShare of its Arias intensity is spent; below kRestFrequency Hz the
// record's motion is brought to rest there (rest_tail in baseline.h): the
// displacement of what lies above is a fraction of a centimetre a gal.
constexpr double kQuietShare = 1e-4;
constexpr double kRestFrequency = 0.5;
// Share of the record, at its end, over which the end fix acts.
constexpr double kTailShare = 0.25;
// The longest tapers at the start and at the end of the record, s; the
// start's is at most half the seed's 5 % Arias time, the end's at most
// half the time from its 95 % Arias time to the end, so that neither cuts
// into the strong motion.
constexpr double kStartTaper = 0.5;
constexpr double kEndTaper = 1.0;

}  // namespace match
