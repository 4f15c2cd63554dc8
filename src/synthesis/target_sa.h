// target_sa.h: the fixed target acceleration response spectrum.
//
// The one definition used by the synthesis (to set the Fourier amplitudes)
// and by seedacc-check (to judge a record against it).
#pragma once

namespace synthesis {

constexpr double kPer1 = 0.16;  // lower corner period, s
constexpr double kPer2 = 0.64;  // upper corner period, s

// Spectral acceleration in gal for `period` in seconds: rising as
// 3000 T + 320 below 0.16 s, flat at 800 from 0.16 s up to (not including)
// 0.64 s, 512 / T from 0.64 s on. The two tests are made in this order on
// doubles, the first strict and the second inclusive, so that each corner
// period belongs to the piece above it.
inline double target_sa(double period) {
  double sa = 800.0;
  if (period < kPer1) sa = period * 3000.0 + 320.0;
  if (period >= kPer2) sa = 512.0 / period;
  return sa;
}

}  // namespace synthesis
