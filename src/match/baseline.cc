// baseline.cc: the baseline step (see baseline.h).
#include "baseline.h"

#include <algorithm>
#include <cassert>
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

// The second derivative, in time, of u^p (u = i / span, p = term + 2) at
// every sample, for a record of step dt: p (p - 1) u^(p-2) / T^2.
std::vector<double> term_curvature(std::size_t n, int term, double dt) {
  const double span = static_cast<double>(n - 1);
  const double length = span * dt;
  const double p = term + 2;
  std::vector<double> shape(n);
  for (std::size_t i = 0; i < n; ++i) {
    shape[i] = p * (p - 1.0) * std::pow(static_cast<double>(i) / span, p - 2.0) /
               (length * length);
  }
  return shape;
}

// Coefficients c2 ... c6 of the least-squares fit of `displacement` by
// u^2 ... u^6 with u = i / span, under the two conditions that the
// curvatures c_p p (p - 1) u^(p-2) / T^2 carry the record's own final
// velocity and displacement `ends` (each term's are `term_ends`), so that
// taking them out leaves the record at rest at its end. Modified
// Gram-Schmidt on the columns (Q R = basis) gives the free fit z = Q^T d;
// the conditions, A z = ends with A = E R^-1, are met by the least change
// of z, z + A^T (A A^T)^-1 (ends - A z); then R c = z by back substitution.
std::vector<double> fit_displacement(const std::vector<double>& displacement, double span,
                                     const Residuals (&term_ends)[kTerms],
                                     const Residuals& ends) {
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
  // The two conditions in the coordinates z: rows of A = E R^-1.
  double rows[2][kTerms] = {};
  for (int j = 0; j < kTerms; ++j) {
    for (int row = 0; row < 2; ++row) {
      double value = row == 0 ? term_ends[j].velocity : term_ends[j].displacement;
      for (int k = 0; k < j; ++k) value -= rows[row][k] * r[k][j];
      rows[row][j] = value / r[j][j];
    }
  }
  double gram[2][2] = {};
  double miss[2] = {ends.velocity, ends.displacement};
  for (int row = 0; row < 2; ++row) {
    for (int j = 0; j < kTerms; ++j) {
      miss[row] -= rows[row][j] * coefficient[j];
      for (int other = 0; other < 2; ++other) gram[row][other] += rows[row][j] * rows[other][j];
    }
  }
  const double det = gram[0][0] * gram[1][1] - gram[0][1] * gram[1][0];
  const double first = (miss[0] * gram[1][1] - miss[1] * gram[0][1]) / det;
  const double second = (gram[0][0] * miss[1] - gram[1][0] * miss[0]) / det;
  for (int j = 0; j < kTerms; ++j) coefficient[j] += first * rows[0][j] + second * rows[1][j];
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
  const std::vector<double> velocity = groundmotion::integrate_from_rest(acc, dt);
  const std::vector<double> displacement = groundmotion::integrate_from_rest(velocity, dt);
  std::vector<std::vector<double>> curvature;
  Residuals term_ends[kTerms];
  for (int term = 0; term < kTerms; ++term) {
    curvature.push_back(term_curvature(n, term, dt));
    term_ends[term] = final_residuals(curvature.back(), dt);
  }
  const std::vector<double> coefficient =
      fit_displacement(displacement, static_cast<double>(n - 1), term_ends,
                       {velocity.back(), displacement.back()});
  for (int term = 0; term < kTerms; ++term) {
    for (std::size_t i = 0; i < n; ++i) acc[i] -= coefficient[term] * curvature[term][i];
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
