// localization.h: keeps each iteration's amplitude correction where the
// seed's energy is, band by band in time, as wavelet-based matching does,
// instead of spreading it over the record: so that no octave's motion
// lasts much longer than the seed's.
#pragma once

#include <vector>

namespace match {

// Per part of octave_parts (band_duration.h) of `seed` (gal, step dt s),
// where the seed's energy lies: its running RMS over the longer of
// kEnvelopeWindow and kLocalPeriods periods of the band's lower edge (half
// of kBandLowest for the lowest part), over its own largest value; 1
// throughout for a part with no motion. Each weight lies in [0, 1].
std::vector<std::vector<double>> seed_band_weights(const std::vector<double>& seed, double dt);

// Keeps of the change from `before` to `acc` (same length), in each of its
// octave parts, the share `weights` (as seed_band_weights gives) at each
// sample.
void localize_change(std::vector<double>& acc, const std::vector<double>& before,
                     const std::vector<std::vector<double>>& weights, double dt);

}  // namespace match
