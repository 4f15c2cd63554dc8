// amplitude_correction.h: the first step of an iteration, the correction of
// the record's Fourier amplitudes toward the goal spectrum, and the local
// correction of its peak acceleration.
#pragma once

#include <vector>

namespace match {

// The factor of the amplitude correction at any frequency: log(goal / Sa)
// at the compared points, interpolated linearly on log f, faded out over
// the octave below the lowest point, held above the highest.
class CorrectionCurve {
 public:
  // `frequencies` (Hz, ascending, at least one) and `log_ratio` (same
  // length).
  CorrectionCurve(const std::vector<double>& frequencies, const std::vector<double>& log_ratio);

  // The factor at `frequency` (> 0). Calls must come by non-decreasing
  // frequency: the search resumes where the last one ended.
  double factor(double frequency);

 private:
  std::vector<double> log_f_;
  std::vector<double> log_ratio_;
  std::size_t next_ = 1;
};

// The share of the amplitude correction's log kept at `frequency` Hz in a
// record of step `dt` s: 1 when its Nyquist frequency is the grid's top
// (groundmotion::kGridHigh) or above; below it, 1 up to kNyquistFadeStart of the
// Nyquist frequency, falling by a raised cosine to 0 at it and above.
double nyquist_share(double frequency, double dt);

// Multiplies the Fourier amplitudes of `acc` (gal, step dt s), zero-padded
// to a power of two of at least twice its length, by the CorrectionCurve of
// (`frequencies`, `log_ratio`) raised to the nyquist_share of each
// frequency (none at the Nyquist frequency of a coarse step), and by the
// baseline step's high-pass gain,
// phases kept, the mean removed. Leaves in `low` (resized to acc's length)
// the part of the corrected record below `split` Hz (a fourth-order
// crossover; zeros when split is 0).
void correct_amplitudes(std::vector<double>& acc, double dt,
                        const std::vector<double>& frequencies,
                        const std::vector<double>& log_ratio, double split,
                        std::vector<double>& low);

// The share of `frequency` (Hz) that lies below the crossover at `split`
// (> 0): 1 / (1 + (f / split)^4), one half at the split.
double low_share(double frequency, double split);

// Scales the neighbourhood of the largest sample of `acc` (kPeakHalfWidth
// each side) by a smooth bump so that the peak becomes `factor` times as
// large; samples farther away are left as they are.
void correct_peak(std::vector<double>& acc, double dt, double factor);

}  // namespace match
