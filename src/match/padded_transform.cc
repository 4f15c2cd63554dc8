// padded_transform.cc: the padded transform of a record (see
// padded_transform.h).
#include "padded_transform.h"

#include <cassert>

namespace match {

std::size_t power_of_two_at_least(std::size_t count) {
  std::size_t size = 1;
  while (size < count) size *= 2;
  return size;
}

double PaddedSpectrum::frequency(std::size_t j) const {
  const std::size_t size = bins.size();
  return static_cast<double>(j <= size / 2 ? j : size - j) * bin_width;
}

PaddedSpectrum padded_spectrum(const std::vector<double>& real, double dt,
                               const std::vector<double>& imaginary) {
  assert(dt > 0.0 && (imaginary.empty() || imaginary.size() == real.size()));
  const std::size_t size = power_of_two_at_least(2 * real.size());
  PaddedSpectrum spectrum;
  spectrum.bins.assign(size, dcomplex{0.0, 0.0});
  for (std::size_t i = 0; i < real.size(); ++i) {
    spectrum.bins[i] = {real[i], imaginary.empty() ? 0.0 : imaginary[i]};
  }
  dwvfast(static_cast<integer>(size), spectrum.bins.data(), -1);
  spectrum.bin_width = 1.0 / (static_cast<double>(size) * dt);
  return spectrum;
}

}  // namespace match
