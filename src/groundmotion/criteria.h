// criteria.h: the acceptance criteria of a record against the target
// spectrum (target.h), shared by seedacc-check and seedacc-match.
//
// One definition of: the compared
// points (the grid narrowed by a frequency range and never above the
// record's Nyquist frequency), the two sets of criteria with their limits
// and sources, and the lines that state them. Ratios are Sa / target over
// the compared points.
//
//   us  US nuclear review practice for one artificial record: time step at
//       most 0.01 s; duration at least 20 s; the whole grid 0.1-50 Hz
//       compared (100 points a decade); no ratio below 0.90; no run of more
//       than 9 adjacent points below the target; no ratio above 1.30 (that
//       practice accepts one only with a power-spectral-density
//       demonstration, which this program does not make).
//   jp  Japanese practice for records compatible with the notification
//       spectra: time step and duration as above; minimum ratio at least
//       0.85; coefficient of variation of the ratio at most 0.05; error of
//       the mean |mean ratio - 1| at most 0.02; SI ratio at least 1.0.
//
// SI is the integral of the pseudo-velocity Sa / omega over the periods
// 0.1 s to 2.5 s, by the trapezoidal rule over the compared grid periods in
// that range; the SI ratio is the record's SI over the target's. No
// criterion passes on a figure that is not finite.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "response.h"
#include "target.h"

namespace groundmotion {

// Relative margin with which frequencies and periods formed in floating
// point are compared with the limits they are meant to meet (the 50 Hz
// point against the Nyquist frequency of a 0.01 s record, 1 / 10 Hz
// against 0.1 s).
constexpr double kLimitMargin = 1e-9;

// Record limits, in both sets.
constexpr double kMaxTimeStep = 0.01;  // s
constexpr double kMinDuration = 20.0;  // s

// The us set: the points per decade of the grid it asks for over the whole
// grid, the band of the ratio (bounds inside) and the longest run of
// adjacent compared points below the target that passes.
constexpr int kUsPointsPerDecade = 100;
constexpr double kBandLow = 0.90;
constexpr double kBandHigh = 1.30;
constexpr std::size_t kMaxRunBelow = 9;

// The jp set.
constexpr double kMinRatio = 0.85;
constexpr double kMaxRatioCov = 0.05;
constexpr double kMaxMeanError = 0.02;  // |mean ratio - 1|
constexpr double kMinSiRatio = 1.0;
constexpr double kSiPeriodLow = 0.1;   // s
constexpr double kSiPeriodHigh = 2.5;  // s

// The two sets of criteria, and which of them judge a record.
enum class CriteriaSet { us, jp };
enum class CriteriaChoice { automatic, us, jp, both };  // automatic: by the target

// "us" or "jp".
const char* set_name(CriteriaSet set);

// The practice a set comes from, in words.
const char* set_source(CriteriaSet set);

// Reads "us", "jp" or "both". Throws std::invalid_argument with a one-line
// message otherwise.
CriteriaChoice parse_criteria_choice(const std::string& text);

// A closed frequency range, Hz.
struct FrequencyRange {
  double low = kGridLow;
  double high = kGridHigh;
};

// Reads "F1:F2" (Hz) as a range with kGridLow <= F1 < F2 <= kGridHigh
// (each bound within kLimitMargin) holding at least one grid point.
// Throws std::invalid_argument with a one-line message otherwise.
FrequencyRange parse_frequency_range(const std::string& text);

// What the check is asked: damping ratio in (0, 1), frequency range and
// target spectrum and the sets of criteria.
struct CriteriaOptions {
  double damping = kDefaultDamping;
  FrequencyRange range;
  Target target;  // jp-l2 unless given
  CriteriaChoice sets = CriteriaChoice::automatic;
};

// Throws TargetError (one line) when `options` ask what their target
// cannot give: a damping other than its own for a target no rule scales,
// or a range reaching beyond the periods of a target file (the message
// names the missing end and --range).
void check_target_fits(const CriteriaOptions& options);

// The sets that judge a record under `options`, us before jp: the chosen
// ones, or for `automatic` the set of the target's practice (jp for the
// Japanese spectra, us for the others).
std::vector<CriteriaSet> chosen_sets(const CriteriaOptions& options);

// The grid points in the range, split by the Nyquist frequency. Grid
// indices [in_range_first, compared_end) are compared; [compared_end,
// in_range_end) lie above the Nyquist frequency and are not judged. Both
// spans are contiguous because the grid increases.
struct ComparedPoints {
  double nyquist = 0.0;  // Hz, 1 / (2 dt)
  std::size_t in_range_first = 0;
  std::size_t compared_end = 0;
  std::size_t in_range_end = 0;
  std::size_t compared_count() const { return compared_end - in_range_first; }
  std::size_t above_nyquist_count() const { return in_range_end - compared_end; }
  bool compared(std::size_t index) const {
    return index >= in_range_first && index < compared_end;
  }
};

// The compared points of spectrum_frequencies() for a record of step `dt`
// (> 0) and `range`: a point is compared when it lies in the range and not
// above the Nyquist frequency (each test within kLimitMargin).
ComparedPoints select_points(double dt, const FrequencyRange& range);

struct SpectrumPoint {
  double frequency = 0.0;  // Hz
  double period = 0.0;     // s, 1 / frequency
  double sa = 0.0;         // computed pseudo-acceleration, gal
  double target = 0.0;     // target spectral acceleration for the damping, gal
  double ratio = 0.0;      // sa / target
};

// Target, ratio and period for computed `sa` at `frequencies` (Hz, same
// length), the target being target.sa(period, damping).
std::vector<SpectrumPoint> compare_with_target(
    const std::vector<double>& frequencies, const std::vector<double>& sa,
    const Target& target = Target(), double damping = kDefaultDamping);

// The figures behind the spectrum criteria, over the compared points.
// Indices are grid indices; all are meaningful only when count > 0.
struct SpectrumFit {
  std::size_t count = 0;          // compared points
  std::size_t lowest = 0;         // smallest ratio
  std::size_t highest = 0;        // largest ratio
  std::size_t non_finite = 0;     // ratios that are not finite numbers
  double mean_ratio = 0.0;
  double ratio_cov = 0.0;         // standard deviation (divided by count) / mean;
                                  // NaN when the mean is not positive
  std::size_t run_length = 0;     // longest run below the target (ratio < 1)
  std::size_t run_first = 0;      // its first and last grid index
  std::size_t run_last = 0;
  std::size_t si_count = 0;       // compared points in the SI period range
  double si_record = 0.0;         // cm
  double si_target = 0.0;         // cm
  double si_ratio = 0.0;          // si_record / si_target; 0 when undefined
  double si_period_low = 0.0;     // periods actually integrated over, s
  double si_period_high = 0.0;
};

// SpectrumFit of `points` (the whole grid) over the compared points.
SpectrumFit fit_spectrum(const std::vector<SpectrumPoint>& points,
                         const ComparedPoints& compared);

// One criterion: its name (used in the verdict), its figure, whether it
// passes, a note with its limit and details, and its source in words
// (which practice, which quantity).
struct Criterion {
  std::string name;
  std::string figure;
  bool pass = false;
  std::string note;
  std::string source;
};

// The criteria of one set in the order they are printed, tagged `tag` (a
// set's name, or "match" for the matcher's own); pass only when all pass.
struct Verdict {
  std::string tag;
  std::string source;  // the practice, in words
  std::vector<Criterion> criteria;
  bool pass = false;
  std::vector<std::string> failed;  // names of the failed criteria, in order

  // Appends a criterion and keeps `pass` and `failed` up to date. A figure
  // built on a value that is not finite (printed "inf" or "nan") is shown
  // as "undefined" and fails, whatever `passes` says.
  void add(const std::string& name, const std::string& figure, bool passes,
           const std::string& note, const std::string& criterion_source);
};

// Whether every verdict passes (false for none).
bool all_pass(const std::vector<Verdict>& verdicts);

// Everything the criteria need and give, for one record.
struct Evaluation {
  CriteriaOptions options;
  double dt = 0.0;              // s
  std::size_t sample_count = 0;
  double duration = 0.0;        // (sample_count - 1) dt, s
  std::vector<SpectrumPoint> points;  // the whole grid, by frequency
  ComparedPoints compared;
  SpectrumFit fit;
  std::vector<Verdict> verdicts;  // one per chosen set, us before jp
  bool pass() const { return all_pass(verdicts); }
};

// Computes the spectrum of the record (`acc` in gal, step `dt` s > 0, at
// least 2 samples) on spectrum_frequencies() with options.damping and
// judges it. The spectrum is computed at every grid point, compared or not.
Evaluation evaluate_record(double dt, const std::vector<double>& acc,
                           const CriteriaOptions& options);

// The same for a spectrum already computed: `sa` (gal) at every point of
// spectrum_frequencies(), for a record of `sample_count` samples at `dt`.
Evaluation evaluate_spectrum(double dt, std::size_t sample_count,
                             const std::vector<double>& sa,
                             const CriteriaOptions& options);

// Writes "criteria (<tag>): <source>", one line per criterion,
//   "<tag> <name padded to 14> <figure padded to 13> PASS|FAIL  <note>",
// then "verdict (<tag>): PASS" or
// "verdict (<tag>): FAIL (<failed names, comma-separated>)".
void write_verdict(std::ostream& out, const Verdict& verdict);

}  // namespace groundmotion
