// padded_transform.h: the Fourier transform the matching's filters work
// on: a record zero-padded to a power of two of at least twice its length,
// so that a change made to its spectrum does not wrap around the record.
#pragma once

#include <cstddef>
#include <vector>

#include "kernels.h"

namespace match {

// The smallest power of two at least `count` (1 for 0).
std::size_t power_of_two_at_least(std::size_t count);

// A padded record's transform and the width of one of its bins.
struct PaddedSpectrum {
  std::vector<dcomplex> bins;
  double bin_width = 0.0;  // Hz

  // The frequency, Hz, of bin `j` (below bins.size()): its distance from
  // bin 0, counted the shorter way round.
  double frequency(std::size_t j) const;
};

// The transform (dwvfast, exponent -1, no scaling) of `real` + i
// `imaginary` (step dt > 0 s; `imaginary` empty or as long as `real`),
// zero-padded to power_of_two_at_least(2 * length) points.
PaddedSpectrum padded_spectrum(const std::vector<double>& real, double dt,
                               const std::vector<double>& imaginary = {});

}  // namespace match
