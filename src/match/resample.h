// resample.h: a record brought to another time step, band-limited, and a
// short record padded with zeros; what seedacc-match does to a seed before
// matching it (--dt, --pad).
#pragma once

#include <cstddef>
#include <vector>

namespace match {

// `acc` (at least 2 samples at step `from` s) at step `to` s over the same
// time span: floor((n - 1) from / to) + 1 samples from the same start.
// Band-limited: the record, zero-padded to at least twice its length, is
// interpolated through its Fourier series (exact at the new times when
// they fall on a power-of-two subdivision of `from`, as 0.02 -> 0.01 s
// does, else by four-point interpolation of a grid at least
// kResampleOversampling times finer than the coarser step). When `to` is
// coarser than `from`, the content above kResamplePassShare of the new
// Nyquist frequency is faded out by a raised cosine, none left at that
// frequency or above.
std::vector<double> resample(const std::vector<double>& acc, double from, double to);

// The gain of that fade at `frequency` Hz for a new Nyquist frequency
// `nyquist` Hz: 1 up to kResamplePassShare of it, 0 from it on.
double resample_gain(double frequency, double nyquist);

// Extends `acc` (step dt s) with zeros at its end until (n - 1) dt is at
// least `length` s; returns the count of zeros added (0 when it was long
// enough already).
std::size_t pad_with_zeros(std::vector<double>& acc, double dt, double length);

}  // namespace match
