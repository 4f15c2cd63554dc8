// envelope_pull.cc: the pull toward the seed's envelope (see
// envelope_pull.h).
#include "envelope_pull.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "tuning.h"

namespace match {

std::vector<double> running_rms(const std::vector<double>& acc, std::size_t half) {
  const std::size_t n = acc.size();
  std::vector<double> prefix(n + 1, 0.0);
  for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + acc[i] * acc[i];
  std::vector<double> rms(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t first = i > half ? i - half : 0;
    const std::size_t last = std::min(n, i + half + 1);
    rms[i] = std::sqrt(std::max(0.0, prefix[last] - prefix[first]) /
                       static_cast<double>(last - first));
  }
  return rms;
}

double pull_strength(double duration_ratio) {
  const double drift = std::fabs(duration_ratio - 1.0);
  return std::min(1.0, kEnvelopePull * std::max(1.0, drift / kPullDrift));
}

void pull_toward_envelope(std::vector<double>& acc, const std::vector<double>& seed_envelope,
                          std::size_t half, double strength, const std::vector<double>& low) {
  assert(seed_envelope.size() == acc.size() && low.size() == acc.size());
  const std::vector<double> envelope = running_rms(acc, half);
  double energy = 0.0;
  double seed_energy = 0.0;
  double largest = 0.0;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    energy += envelope[i] * envelope[i];
    seed_energy += seed_envelope[i] * seed_envelope[i];
    largest = std::max(largest, envelope[i]);
  }
  if (!(seed_energy > 0.0) || !(largest > 0.0)) return;
  const double level = std::sqrt(energy / seed_energy);
  const double floor = kEnvelopeFloor * largest;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const double ratio = (level * seed_envelope[i] + floor) / (envelope[i] + floor);
    acc[i] = low[i] + (acc[i] - low[i]) * std::pow(ratio, strength);
  }
}

}  // namespace match
