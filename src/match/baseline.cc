// baseline.cc: the baseline step (see baseline.h).
#include "baseline.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "kernels.h"
#include "motion.h"
#include "padded_transform.h"
#include "tuning.h"

namespace match {
namespace {

const double kTwoPi = 2.0 * std::acos(-1.0);

// The two shapes of the end fix over the tail: a Hann bump (changes the
// final velocity) and the same bump times a line through its middle
// (changes the final displacement only, to first order).
void tail_shapes(std::size_t n, std::vector<double>& bump, std::vector<double>& tilt) {
  bump.assign(n, 0.0);
  tilt.assign(n, 0.0);
  const std::size_t first = n - std::max<std::size_t>(4, static_cast<std::size_t>(kTailShare * n));
  const double width = static_cast<double>(n - 1 - first);
  for (std::size_t i = first; i < n; ++i) {
    const double u = static_cast<double>(i - first) / width;
    bump[i] = 0.5 * (1.0 - std::cos(kTwoPi * u));
    tilt[i] = bump[i] * (u - 0.5);
  }
}

// The shapes of the trend: uniform cubic B-splines of displacement with
// knots every kTrendKnotSpacing s or so (at least kFewestTrendIntervals
// intervals over the record), those whose support begins at the record's
// start or later, so that each is at rest there and the first sample is
// left as it is. Each shape is local: it moves the record over four
// intervals and nowhere else. `displacement` gets each one's values (cm
// per unit) and `acceleration` its second derivative in time.
void trend_shapes(std::size_t n, double dt, std::vector<std::vector<double>>& displacement,
                  std::vector<std::vector<double>>& acceleration) {
  const double length = static_cast<double>(n - 1) * dt;
  const std::size_t intervals = std::max<std::size_t>(
      kFewestTrendIntervals, static_cast<std::size_t>(std::lround(length / kTrendKnotSpacing)));
  const double spacing = length / static_cast<double>(intervals);
  displacement.clear();
  acceleration.clear();
  for (std::size_t knot = 2; knot <= intervals + 1; ++knot) {
    std::vector<double> values(n, 0.0);
    std::vector<double> curvature(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
      const double x = std::fabs(static_cast<double>(i) * dt / spacing - static_cast<double>(knot));
      if (x < 1.0) {
        values[i] = 2.0 / 3.0 - x * x + 0.5 * x * x * x;
        curvature[i] = (3.0 * x - 2.0) / (spacing * spacing);
      } else if (x < 2.0) {
        values[i] = (2.0 - x) * (2.0 - x) * (2.0 - x) / 6.0;
        curvature[i] = (2.0 - x) / (spacing * spacing);
      }
    }
    displacement.push_back(std::move(values));
    acceleration.push_back(std::move(curvature));
  }
}

// Coefficients of the least-squares fit of `displacement` by the columns
// `basis` (each the displacement of one shape), under the two conditions
// that together they carry the record's own final velocity and
// displacement `ends` (each column's are `column_ends`), so that taking
// them out leaves the record at rest at its end. Modified Gram-Schmidt on
// the columns (Q R = basis) gives the free fit z = Q^T d; the conditions,
// A z = ends with A = E R^-1, are met by the least change of z,
// z + A^T (A A^T)^-1 (ends - A z); then R c = z by back substitution.
std::vector<double> fit_displacement(const std::vector<double>& displacement,
                                     std::vector<std::vector<double>> basis,
                                     const std::vector<Residuals>& column_ends,
                                     const Residuals& ends) {
  const std::size_t n = displacement.size();
  const std::size_t columns = basis.size();
  std::vector<std::vector<double>> r(columns, std::vector<double>(columns, 0.0));
  for (std::size_t j = 0; j < columns; ++j) {
    for (std::size_t k = 0; k < j; ++k) {
      double dot = 0.0;
      for (std::size_t i = 0; i < n; ++i) dot += basis[k][i] * basis[j][i];
      r[k][j] = dot;
      for (std::size_t i = 0; i < n; ++i) basis[j][i] -= dot * basis[k][i];
    }
    double norm = 0.0;
    for (std::size_t i = 0; i < n; ++i) norm += basis[j][i] * basis[j][i];
    norm = std::sqrt(norm);
    r[j][j] = norm;
    for (std::size_t i = 0; i < n; ++i) basis[j][i] /= norm;
  }
  std::vector<double> coefficient(columns, 0.0);
  for (std::size_t j = 0; j < columns; ++j) {
    for (std::size_t i = 0; i < n; ++i) coefficient[j] += basis[j][i] * displacement[i];
  }
  // The two conditions in the coordinates z: rows of A = E R^-1.
  std::vector<double> rows[2] = {std::vector<double>(columns), std::vector<double>(columns)};
  for (std::size_t j = 0; j < columns; ++j) {
    for (int row = 0; row < 2; ++row) {
      double value = row == 0 ? column_ends[j].velocity : column_ends[j].displacement;
      for (std::size_t k = 0; k < j; ++k) value -= rows[row][k] * r[k][j];
      rows[row][j] = value / r[j][j];
    }
  }
  double gram[2][2] = {};
  double miss[2] = {ends.velocity, ends.displacement};
  for (int row = 0; row < 2; ++row) {
    for (std::size_t j = 0; j < columns; ++j) {
      miss[row] -= rows[row][j] * coefficient[j];
      for (int other = 0; other < 2; ++other) gram[row][other] += rows[row][j] * rows[other][j];
    }
  }
  const double det = gram[0][0] * gram[1][1] - gram[0][1] * gram[1][0];
  const double first = (miss[0] * gram[1][1] - miss[1] * gram[0][1]) / det;
  const double second = (gram[0][0] * miss[1] - gram[1][0] * miss[0]) / det;
  for (std::size_t j = 0; j < columns; ++j) {
    coefficient[j] += first * rows[0][j] + second * rows[1][j];
  }
  for (std::size_t j = columns; j-- > 0;) {
    for (std::size_t k = j + 1; k < columns; ++k) coefficient[j] -= r[j][k] * coefficient[k];
    coefficient[j] /= r[j][j];
  }
  return coefficient;
}

// The gain of the long-period part at `frequency` Hz: all of it up to half
// of kRestFrequency, none from kRestFrequency up, a half-cosine between.
double long_period_gain(double frequency) {
  const double pass = 0.5 * kRestFrequency;
  if (frequency <= pass) return 1.0;
  if (frequency >= kRestFrequency) return 0.0;
  return 0.5 * (1.0 + std::cos(0.5 * kTwoPi * (frequency - pass) / (kRestFrequency - pass)));
}

// The long-period parts of `first` and `second` (step dt s, as long as
// each other): the Fourier transform of first + i second, zero-padded to a
// power of two of at least twice their length, times long_period_gain,
// transformed back; as the gain is real and even, the real part is first's
// and the imaginary part second's.
void long_period_parts(const std::vector<double>& first, const std::vector<double>& second,
                       double dt, std::vector<double>& first_part,
                       std::vector<double>& second_part) {
  const std::size_t n = first.size();
  PaddedSpectrum padded = padded_spectrum(first, dt, second);
  std::vector<dcomplex>& spectrum = padded.bins;
  const std::size_t size = spectrum.size();
  for (std::size_t j = 0; j < size; ++j) {
    const double gain = long_period_gain(padded.frequency(j)) / static_cast<double>(size);
    spectrum[j].r *= gain;
    spectrum[j].i *= gain;
  }
  dwvfast(static_cast<integer>(size), spectrum.data(), 1);
  first_part.resize(n);
  second_part.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    first_part[i] = spectrum[i].r;
    second_part[i] = spectrum[i].i;
  }
}

}  // namespace

double high_pass_gain(double frequency) {
  const double ratio = std::pow(kHighPassCorner / frequency, 2 * kHighPassOrder);
  return 1.0 / (1.0 + ratio);
}

void remove_displacement_trend(std::vector<double>& acc, double dt) {
  const std::vector<double> velocity = groundmotion::integrate_from_rest(acc, dt);
  const std::vector<double> displacement = groundmotion::integrate_from_rest(velocity, dt);
  std::vector<std::vector<double>> basis;
  std::vector<std::vector<double>> shapes;
  trend_shapes(acc.size(), dt, basis, shapes);
  std::vector<Residuals> column_ends;
  for (const std::vector<double>& shape : shapes) column_ends.push_back(final_residuals(shape, dt));
  const std::vector<double> coefficient =
      fit_displacement(displacement, basis, column_ends, {velocity.back(), displacement.back()});
  for (std::size_t j = 0; j < shapes.size(); ++j) {
    for (std::size_t i = 0; i < acc.size(); ++i) acc[i] -= coefficient[j] * shapes[j][i];
  }
}

void rest_tail(std::vector<double>& acc, double dt, std::size_t start, std::size_t ramp) {
  assert(acc.size() >= 2 && ramp >= 1);
  if (start >= acc.size()) return;
  const std::vector<double> velocity = groundmotion::integrate_from_rest(acc, dt);
  const std::vector<double> displacement = groundmotion::integrate_from_rest(velocity, dt);
  std::vector<double> low_acc;
  std::vector<double> low_velocity;
  std::vector<double> low_displacement;
  std::vector<double> none;
  long_period_parts(acc, velocity, dt, low_acc, low_velocity);
  long_period_parts(displacement, std::vector<double>(acc.size(), 0.0), dt, low_displacement, none);
  // Taken out: (1 - w) l, l the long-period part of the displacement and
  // w(u) = 1 - (10 u^3 - 15 u^4 + 6 u^5) for u from 0 to 1 over the ramp,
  // whose first and second derivatives vanish at both ends of it, so that
  // the acceleration taken out, (1 - w) l'' - 2 w' l' - w'' l, is
  // continuous. In the tail it is the long-period part of the acceleration
  // itself, which leaves the record's own short periods as they are.
  const double span = static_cast<double>(ramp) * dt;
  for (std::size_t i = start; i < acc.size(); ++i) {
    const double u = std::min(1.0, static_cast<double>(i - start) / static_cast<double>(ramp));
    const double share = 1.0 - u * u * u * (10.0 - 15.0 * u + 6.0 * u * u);
    const double slope = -30.0 * u * u * (1.0 - u) * (1.0 - u) / span;
    const double curvature = -60.0 * u * (1.0 - u) * (1.0 - 2.0 * u) / (span * span);
    acc[i] -= (1.0 - share) * low_acc[i] - 2.0 * slope * low_velocity[i] -
              curvature * low_displacement[i];
  }
}

void taper_ends(std::vector<double>& acc, std::size_t start, std::size_t end) {
  const std::size_t n = acc.size();
  assert(start >= 1 && end >= 1 && start + end <= n);
  const double half_turn = 0.5 * kTwoPi;
  for (std::size_t i = 0; i < start; ++i) {
    acc[i] *= 0.5 * (1.0 - std::cos(half_turn * static_cast<double>(i) / start));
  }
  for (std::size_t i = 0; i < end; ++i) {
    acc[n - 1 - i] *= 0.5 * (1.0 - std::cos(half_turn * static_cast<double>(i) / end));
  }
}

double tail_excursion(const std::vector<double>& acc, double dt, std::size_t from) {
  const std::vector<double> velocity = groundmotion::integrate_from_rest(acc, dt);
  const std::vector<double> displacement = groundmotion::integrate_from_rest(velocity, dt);
  const std::size_t last = acc.size() - 1;
  double largest = 0.0;
  for (std::size_t i = from; i <= last; ++i) {
    const double glide = displacement[last] - velocity[last] * static_cast<double>(last - i) * dt;
    largest = std::max(largest, std::fabs(displacement[i] - glide));
  }
  return largest;
}

Residuals final_residuals(const std::vector<double>& acc, double dt) {
  const std::vector<double> velocity = groundmotion::integrate_from_rest(acc, dt);
  return {velocity.back(), groundmotion::integrate_from_rest(velocity, dt).back()};
}

void fix_end(std::vector<double>& acc, double dt) {
  std::vector<double> bump;
  std::vector<double> tilt;
  tail_shapes(acc.size(), bump, tilt);
  const Residuals record = final_residuals(acc, dt);
  const Residuals from_bump = final_residuals(bump, dt);
  const Residuals from_tilt = final_residuals(tilt, dt);
  const double det = from_bump.velocity * from_tilt.displacement -
                     from_tilt.velocity * from_bump.displacement;
  const double c_bump = (-record.velocity * from_tilt.displacement +
                         from_tilt.velocity * record.displacement) / det;
  const double c_tilt = (-from_bump.velocity * record.displacement +
                         record.velocity * from_bump.displacement) / det;
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] += c_bump * bump[i] + c_tilt * tilt[i];
}

}  // namespace match
