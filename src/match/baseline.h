// baseline.h: the second step of an iteration, which keeps the record's
// velocity and displacement from drifting and the record at rest at both
// ends and in the seed's quiet tail: an acausal high-pass filter (applied
// in the amplitude correction's transform, see amplitude_correction.h),
// short tapers at both ends (the first sample 0 exactly), the trend of the
// displacement taken out by a spline spread over the whole record, the
// long-period motion brought to rest where the seed is quiet, and an exact
// end fix of what that leaves.
#pragma once

#include <cstddef>
#include <vector>

namespace match {

// Squared magnitude of a Butterworth high-pass of order kHighPassOrder at
// kHighPassCorner Hz, for `frequency` > 0 Hz: the filter run forward and
// backward, so without phase shift. One half at the corner.
double high_pass_gain(double frequency);

// Removes from `acc` (gal, step dt s, at least kMinSamples samples) the
// second derivative of the least-squares fit of its displacement
// (trapezoidal, from rest) by a cubic spline with knots about every
// kTrendKnotSpacing s that starts at rest with no acceleration and carries
// the record's final velocity and displacement: the displacement loses its
// slow drift, the first sample is left as it is and the record ends at
// rest (to rounding). A correction spread over the whole record, not a bump
// in its tail.
void remove_displacement_trend(std::vector<double>& acc, double dt);

// Brings the long-period motion of `acc` (gal, step dt s, at least 2
// samples, at rest at its end) to rest from sample `start` on: the record's
// displacement keeps, over a smooth ramp of `ramp` samples (at least 1)
// from `start`, less and less of its part below kRestFrequency Hz, and none
// of it after the ramp, where the ground moves by the short-period part
// alone (a fraction of a centimetre for each gal). Samples before `start`
// are left as they are; nothing changes when `start` lies past the end.
// The final velocity and displacement move by about that part's; fix_end
// cancels them.
void rest_tail(std::vector<double>& acc, double dt, std::size_t start, std::size_t ramp);

// The largest distance, cm, of the ground of `acc` (gal, step dt s,
// integrated from rest) at or after sample `from` from its final steady
// glide, the line through its final displacement with its final velocity:
// for a record at rest at its end, its largest distance from rest there;
// for a seed that ends gliding, how far its own motion there moves it.
// 0 when `from` lies past the end.
double tail_excursion(const std::vector<double>& acc, double dt, std::size_t from);

// Multiplies the first `start` and the last `end` samples of `acc` (each
// count at least 1, together at most its length) by a half-cosine ramp
// that is 0 at the record's first and last sample: acc[0] becomes 0
// exactly and the ends come to rest smoothly. The rest is left as it is.
void taper_ends(std::vector<double>& acc, std::size_t start, std::size_t end);

// Final velocity (cm/s) and displacement (cm) of a record in gal,
// integrated by the trapezoidal rule from rest, as the check integrates
// them.
struct Residuals {
  double velocity = 0.0;
  double displacement = 0.0;
};
Residuals final_residuals(const std::vector<double>& acc, double dt);

// Adds to `acc` (at least kMinSamples samples) a combination of two smooth
// shapes in its last kTailShare that makes its final velocity and
// displacement zero, exact to rounding (both are linear in the record).
// Samples before the tail are left as they are.
void fix_end(std::vector<double>& acc, double dt);

}  // namespace match
