// band_duration.h: a record split into octave bands, and the significant
// duration D5-95 within each, by which the matcher's report shows how far
// the matching moved the seed's character in time, band by band.
#pragma once

#include <vector>

namespace match {

// The parts of `acc` (gal, step dt s > 0, at least 2 samples) in
// kBandCount + 2 bands that add up to the whole record: below kBandLowest,
// the octaves kBandLowest * 2^k ... kBandLowest * 2^(k+1) for k = 0 ...
// kBandCount - 1, and the rest up to the Nyquist frequency. Each part is
// the record zero-padded to a power of two of at least twice its length,
// its Fourier transform kept inside the band and zero outside it,
// transformed back; each is as long as `acc`.
std::vector<std::vector<double>> octave_parts(const std::vector<double>& acc, double dt);

// One octave band and the record's D5-95 within it (0 when the band holds
// no motion).
struct BandDuration {
  double low = 0.0;   // Hz
  double high = 0.0;  // Hz, twice low
  double duration = 0.0;  // s
};

// D5-95 of `acc` (as for octave_parts) within each of the kBandCount
// octaves, from the Arias history of its part there; by increasing
// frequency.
std::vector<BandDuration> band_durations(const std::vector<double>& acc, double dt);

}  // namespace match
