// resample.cc: resampling and padding a seed (see resample.h).
#include "resample.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "kernels.h"
#include "padded_transform.h"
#include "tuning.h"

namespace match {
namespace {

const double kPi = std::acos(-1.0);

// Four-point Lagrange interpolation of `grid` at the fractional index
// `position` (0 <= position <= grid.size() - 1); the points past either
// end are taken as the end itself.
double interpolate(const std::vector<double>& grid, double position) {
  const double floor = std::floor(position);
  const auto at = [&grid](long index) {
    const long last = static_cast<long>(grid.size()) - 1;
    return grid[static_cast<std::size_t>(std::clamp(index, 0L, last))];
  };
  const long base = static_cast<long>(floor);
  const double x = position - floor;
  return -x * (x - 1.0) * (x - 2.0) / 6.0 * at(base - 1) +
         (x + 1.0) * (x - 1.0) * (x - 2.0) / 2.0 * at(base) -
         (x + 1.0) * x * (x - 2.0) / 2.0 * at(base + 1) +
         (x + 1.0) * x * (x - 1.0) / 6.0 * at(base + 2);
}

}  // namespace

double resample_gain(double frequency, double nyquist) {
  const double pass = kResamplePassShare * nyquist;
  if (frequency <= pass) return 1.0;
  if (frequency >= nyquist) return 0.0;
  return 0.5 * (1.0 + std::cos(kPi * (frequency - pass) / (nyquist - pass)));
}

std::vector<double> resample(const std::vector<double>& acc, double from, double to) {
  assert(acc.size() >= 2 && from > 0.0 && to > 0.0);
  const std::size_t count = acc.size();
  const double span = static_cast<double>(count - 1) * from;
  const std::size_t new_count = static_cast<std::size_t>(std::floor(span / to + 1e-9)) + 1;
  const std::size_t size = power_of_two_at_least(2 * count);
  std::size_t factor = 1;
  while (from / static_cast<double>(factor) > std::max(from, to) / kResampleOversampling) {
    factor *= 2;
  }
  const std::size_t fine = size * factor;
  std::vector<dcomplex> spectrum(fine, dcomplex{0.0, 0.0});
  for (std::size_t i = 0; i < count; ++i) spectrum[i].r = acc[i];
  dwvfast(static_cast<integer>(size), spectrum.data(), -1);
  if (to > from) {
    const double nyquist = 0.5 / to;
    for (std::size_t k = 1; k <= size / 2; ++k) {
      const double gain = resample_gain(static_cast<double>(k) / (static_cast<double>(size) * from), nyquist);
      for (dcomplex* bin : {&spectrum[k], &spectrum[size - k]}) {
        bin->r *= gain;
        bin->i *= gain;
      }
    }
  }
  // The negative frequencies move to the top of the finer spectrum; the
  // Nyquist bin is shared between its two ends.
  if (factor > 1) {
    for (std::size_t k = 1; k < size / 2; ++k) {
      spectrum[fine - k] = spectrum[size - k];
      spectrum[size - k] = dcomplex{0.0, 0.0};
    }
    dcomplex& nyquist_bin = spectrum[size / 2];
    nyquist_bin.r *= 0.5;
    nyquist_bin.i *= 0.5;
    spectrum[fine - size / 2] = nyquist_bin;
  }
  dwvfast(static_cast<integer>(fine), spectrum.data(), 1);
  const double scale = 1.0 / static_cast<double>(size);
  const std::size_t fine_count = (count - 1) * factor + 1;
  std::vector<double> grid(fine_count);
  for (std::size_t m = 0; m < fine_count; ++m) grid[m] = spectrum[m].r * scale;
  std::vector<double> result(new_count);
  const double step = to / (from / static_cast<double>(factor));  // fine points a new step
  for (std::size_t j = 0; j < new_count; ++j) {
    const double position = std::min(static_cast<double>(j) * step, static_cast<double>(fine_count - 1));
    const double nearest = std::round(position);
    result[j] = std::fabs(position - nearest) < 1e-6
                    ? grid[static_cast<std::size_t>(nearest)]
                    : interpolate(grid, position);
  }
  return result;
}

std::size_t pad_with_zeros(std::vector<double>& acc, double dt, double length) {
  assert(!acc.empty() && dt > 0.0);
  const auto needed = static_cast<std::size_t>(std::ceil(length / dt - 1e-9)) + 1;
  if (acc.size() >= needed) return 0;
  const std::size_t added = needed - acc.size();
  acc.resize(needed, 0.0);
  return added;
}

}  // namespace match
