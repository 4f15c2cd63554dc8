// baseline.cc: the baseline step (see baseline.h).
#include "baseline.h"

#include <algorithm>
#include <cmath>

#include "motion.h"
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

constexpr int kTerms = kFitDegree - 1;

// Coefficients c2 ... c6 of the least-squares fit of `displacement` by
// u^2 ... u^6 with u = i / span, solved by modified Gram-Schmidt on the
// columns: Q R = basis, then back substitution of R c = Q^T d.
std::vector<double> fit_displacement(const std::vector<double>& displacement, double span) {
  const std::size_t n = displacement.size();
  std::vector<std::vector<double>> basis(kTerms, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    const double u = static_cast<double>(i) / span;
    double power = u;
    for (int term = 0; term < kTerms; ++term) {
      power *= u;
      basis[term][i] = power;
    }
  }
  double r[kTerms][kTerms] = {};
  for (int j = 0; j < kTerms; ++j) {
    for (int k = 0; k < j; ++k) {
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
  std::vector<double> coefficient(kTerms, 0.0);
  for (int j = 0; j < kTerms; ++j) {
    for (std::size_t i = 0; i < n; ++i) coefficient[j] += basis[j][i] * displacement[i];
  }
  for (int j = kTerms - 1; j >= 0; --j) {
    for (int k = j + 1; k < kTerms; ++k) coefficient[j] -= r[j][k] * coefficient[k];
    coefficient[j] /= r[j][j];
  }
  return coefficient;
}

}  // namespace

double high_pass_gain(double frequency) {
  const double ratio = std::pow(kHighPassCorner / frequency, 2 * kHighPassOrder);
  return 1.0 / (1.0 + ratio);
}

void remove_displacement_trend(std::vector<double>& acc, double dt) {
  const std::size_t n = acc.size();
  const std::vector<double> velocity = spectra::integrate_from_rest(acc, dt);
  const std::vector<double> displacement = spectra::integrate_from_rest(velocity, dt);
  const double span = static_cast<double>(n - 1);
  const std::vector<double> coefficient = fit_displacement(displacement, span);
  // d/dt^2 of c u^p with u = t / T: c p (p - 1) u^(p-2) / T^2.
  const double length = span * dt;
  for (std::size_t i = 0; i < n; ++i) {
    const double u = static_cast<double>(i) / span;
    double curvature = 0.0;
    double power = 1.0;
    for (int term = 0; term < kTerms; ++term) {
      const double p = term + 2;
      curvature += coefficient[term] * p * (p - 1.0) * power;
      power *= u;
    }
    acc[i] -= curvature / (length * length);
  }
}

Residuals final_residuals(const std::vector<double>& acc, double dt) {
  const std::vector<double> velocity = spectra::integrate_from_rest(acc, dt);
  return {velocity.back(), spectra::integrate_from_rest(velocity, dt).back()};
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
