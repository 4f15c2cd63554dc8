// band_duration.cc: D5-95 by octave band (see band_duration.h).
#include "band_duration.h"

#include <cassert>
#include <cstddef>

#include "kernels.h"
#include "motion.h"
#include "tuning.h"

namespace match {

std::vector<BandDuration> band_durations(const std::vector<double>& acc, double dt) {
  assert(dt > 0.0 && acc.size() >= 2);
  std::size_t size = 1;
  while (size < 2 * acc.size()) size *= 2;
  std::vector<dcomplex> spectrum(size, dcomplex{0.0, 0.0});
  for (std::size_t i = 0; i < acc.size(); ++i) spectrum[i].r = acc[i];
  dwvfast(static_cast<integer>(size), spectrum.data(), -1);
  const double bin_width = 1.0 / (static_cast<double>(size) * dt);
  std::vector<BandDuration> bands;
  for (int k = 0; k < kBandCount; ++k) {
    BandDuration band;
    band.low = kBandLowest * static_cast<double>(1 << k);
    band.high = 2.0 * band.low;
    std::vector<dcomplex> part(size, dcomplex{0.0, 0.0});
    for (std::size_t j = 1; j < size; ++j) {
      const double frequency = static_cast<double>(j <= size / 2 ? j : size - j) * bin_width;
      if (frequency >= band.low && frequency < band.high) part[j] = spectrum[j];
    }
    dwvfast(static_cast<integer>(size), part.data(), 1);
    std::vector<double> filtered(acc.size());
    for (std::size_t i = 0; i < acc.size(); ++i) filtered[i] = part[i].r;
    const spectra::SignificantDuration duration =
        spectra::significant_duration(spectra::arias_history(filtered, dt), 0.0, dt);
    band.duration = duration.defined ? duration.length() : 0.0;
    bands.push_back(band);
  }
  return bands;
}

}  // namespace match
