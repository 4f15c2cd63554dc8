// band_duration.cc: octave parts and D5-95 by octave band (see
// band_duration.h).
#include "band_duration.h"

#include <cassert>
#include <cmath>
#include <cstddef>

#include "kernels.h"
#include "motion.h"
#include "padded_transform.h"
#include "tuning.h"

namespace match {

std::vector<std::vector<double>> octave_parts(const std::vector<double>& acc, double dt) {
  assert(dt > 0.0 && acc.size() >= 2);
  const PaddedSpectrum padded = padded_spectrum(acc, dt);
  const std::vector<dcomplex>& spectrum = padded.bins;
  const std::size_t size = spectrum.size();
  const double scale = 1.0 / static_cast<double>(size);
  std::vector<std::vector<double>> parts;
  for (int band = 0; band < kBandCount + 2; ++band) {
    // Band 0 lies below kBandLowest, band b of 1 ... kBandCount is the
    // octave from kBandLowest 2^(b-1), the last holds the rest.
    const double low = band == 0 ? -1.0 : kBandLowest * std::ldexp(1.0, band - 1);
    const double high = band == kBandCount + 1 ? HUGE_VAL : kBandLowest * std::ldexp(1.0, band);
    std::vector<dcomplex> part(size, dcomplex{0.0, 0.0});
    for (std::size_t j = 0; j < size; ++j) {
      const double frequency = padded.frequency(j);
      if (frequency >= low && frequency < high) part[j] = spectrum[j];
    }
    dwvfast(static_cast<integer>(size), part.data(), 1);
    std::vector<double> values(acc.size());
    for (std::size_t i = 0; i < acc.size(); ++i) values[i] = part[i].r * scale;
    parts.push_back(std::move(values));
  }
  return parts;
}

std::vector<BandDuration> band_durations(const std::vector<double>& acc, double dt) {
  const std::vector<std::vector<double>> parts = octave_parts(acc, dt);
  std::vector<BandDuration> bands;
  for (int k = 0; k < kBandCount; ++k) {
    BandDuration band;
    band.low = kBandLowest * std::ldexp(1.0, k);
    band.high = 2.0 * band.low;
    const groundmotion::SignificantDuration duration =
        groundmotion::significant_duration(groundmotion::arias_history(parts[k + 1], dt), 0.0, dt);
    band.duration = duration.defined ? duration.length() : 0.0;
    bands.push_back(band);
  }
  return bands;
}

}  // namespace match
