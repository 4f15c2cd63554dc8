// localization.cc: the band-by-band localization of a correction (see
// localization.h).
#include "localization.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "band_duration.h"
#include "envelope_pull.h"
#include "tuning.h"

namespace match {

std::vector<std::vector<double>> seed_band_weights(const std::vector<double>& seed, double dt) {
  std::vector<std::vector<double>> weights = octave_parts(seed, dt);
  for (std::size_t band = 0; band < weights.size(); ++band) {
    const double low = kBandLowest * std::ldexp(1.0, static_cast<int>(band) - 1);
    const double window = std::max(kEnvelopeWindow, kLocalPeriods / low);
    std::vector<double> rms =
        running_rms(weights[band], static_cast<std::size_t>(std::lround(0.5 * window / dt)));
    const double largest = *std::max_element(rms.begin(), rms.end());
    for (double& value : rms) value = largest > 0.0 ? value / largest : 1.0;
    weights[band] = std::move(rms);
  }
  return weights;
}

void localize_change(std::vector<double>& acc, const std::vector<double>& before,
                     const std::vector<std::vector<double>>& weights, double dt) {
  assert(acc.size() == before.size());
  std::vector<double> change(acc.size());
  for (std::size_t i = 0; i < acc.size(); ++i) change[i] = acc[i] - before[i];
  const std::vector<std::vector<double>> parts = octave_parts(change, dt);
  assert(parts.size() == weights.size());
  for (std::size_t i = 0; i < acc.size(); ++i) {
    double kept = 0.0;
    for (std::size_t band = 0; band < parts.size(); ++band) kept += weights[band][i] * parts[band][i];
    acc[i] = before[i] + kept;
  }
}

}  // namespace match
