// band_duration.h: the significant duration D5-95 of a record within each
// octave band, from 0.1 Hz up, by which the matcher's report shows how far
// the matching moved the seed's character in time, band by band.
#pragma once

#include <vector>

namespace match {

// One octave band and the record's D5-95 within it (0 when the band holds
// no motion).
struct BandDuration {
  double low = 0.0;   // Hz
  double high = 0.0;  // Hz, twice low
  double duration = 0.0;  // s
};

// D5-95 of `acc` (gal, step dt s > 0, at least 2 samples) within each
// octave band kBandLowest * 2^k ... kBandLowest * 2^(k+1), k = 0 ...
// kBandCount - 1: the record zero-padded to a power of two of at least
// twice its length, its Fourier transform kept inside the band (zero
// outside it and above the Nyquist frequency), transformed back, and the
// Arias history of that part. Bands are by increasing frequency.
std::vector<BandDuration> band_durations(const std::vector<double>& acc, double dt);

}  // namespace match
