// The oscillator solver against references that do not share its code:
// closed-form responses to a ramp and to a sine, and a fine Runge-Kutta
// integration in long double.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "response.h"

namespace {

const double kPi = std::acos(-1.0);

struct Case {
  double period;  // s
  double zeta;
};

// Short, middle and long periods of the grid, light to heavy damping.
const Case kCases[] = {{0.02, 0.05}, {0.1, 0.02}, {0.5, 0.05},
                       {2.0, 0.2},   {10.0, 0.05}, {1.0, 0.7}};

double largest_magnitude(const std::vector<double>& values) {
  double largest = 0.0;
  for (const double value : values) largest = std::fmax(largest, std::fabs(value));
  return largest;
}

// Free-vibration part of the motion from rest for a particular solution with
// x_p(0) = p0 and x_p'(0) = p1: x_h = e^(-zeta omega t)(C cos + D sin).
double transient(double omega, double zeta, double p0, double p1, double t) {
  const double omega_d = omega * std::sqrt(1.0 - zeta * zeta);
  const double c = -p0;
  const double d = (zeta * omega * c - p1) / omega_d;
  return std::exp(-zeta * omega * t) *
         (c * std::cos(omega_d * t) + d * std::sin(omega_d * t));
}

// Ground acceleration rising linearly, a = rate * t: piecewise linear, so the
// recurrence must reproduce the closed form to rounding.
// x_p = 2 zeta rate / omega^3 - rate t / omega^2.
TEST(SpectrumSolver, RampMatchesClosedForm) {
  const double dt = 0.01;
  const double rate = 50.0;  // gal/s
  std::vector<double> acc(3000);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = rate * i * dt;
  for (const Case& c : kCases) {
    const double omega = 2.0 * kPi / c.period;
    const std::vector<double> x = groundmotion::relative_displacement(acc, dt, omega, c.zeta);
    const double p0 = 2.0 * c.zeta * rate / (omega * omega * omega);
    const double p1 = -rate / (omega * omega);
    double worst = 0.0;
    for (std::size_t i = 0; i < acc.size(); ++i) {
      const double t = i * dt;
      const double exact = p0 + p1 * t + transient(omega, c.zeta, p0, p1, t);
      worst = std::fmax(worst, std::fabs(x[i] - exact));
    }
    // Rounding only: 1e-10 of the largest displacement over 3000 steps.
    EXPECT_LE(worst, 1e-10 * largest_magnitude(x)) << "T " << c.period << " zeta " << c.zeta;
  }
}

// Ground acceleration a = A sin(Omega t), sampled: steady state plus
// transient, away from and at resonance. Linear interpolation of the samples
// changes the excitation by about (Omega dt)^2 / 12 relative; with 500
// samples per forcing period that is 1.32e-5 of the peak response, which the
// solver shows at every period and damping. The tolerance is 2e-5: an error
// in any coefficient of the recurrence shows far above it.
TEST(SpectrumSolver, SineMatchesSteadyStatePlusTransient) {
  const double amplitude = 100.0;  // gal
  for (const Case& c : kCases) {
    const double omega = 2.0 * kPi / c.period;
    for (const double forcing_period : {1.7 * c.period, c.period, 0.3 * c.period}) {
      const double big_omega = 2.0 * kPi / forcing_period;
      const double dt = forcing_period / 500.0;
      std::vector<double> acc(6000);
      for (std::size_t i = 0; i < acc.size(); ++i) {
        acc[i] = amplitude * std::sin(big_omega * i * dt);
      }
      const std::vector<double> x = groundmotion::relative_displacement(acc, dt, omega, c.zeta);
      // x_s = P sin + Q cos solving x'' + 2 zeta omega x' + omega^2 x = -A sin.
      const double detuning = omega * omega - big_omega * big_omega;
      const double coupling = 2.0 * c.zeta * omega * big_omega;
      const double denominator = detuning * detuning + coupling * coupling;
      const double p = -amplitude * detuning / denominator;
      const double q = amplitude * coupling / denominator;
      double worst = 0.0;
      double peak = 0.0;
      for (std::size_t i = 0; i < acc.size(); ++i) {
        const double t = i * dt;
        const double exact = p * std::sin(big_omega * t) + q * std::cos(big_omega * t) +
                             transient(omega, c.zeta, q, p * big_omega, t);
        worst = std::fmax(worst, std::fabs(x[i] - exact));
        peak = std::fmax(peak, std::fabs(exact));
      }
      EXPECT_LE(worst, 2e-5 * peak)
          << "T " << c.period << " zeta " << c.zeta << " forcing " << forcing_period;
    }
  }
}

// The same oscillator integrated by classical Runge-Kutta in long double
// with at least 200 sub-steps per sample (omega h <= 0.002), the excitation
// interpolated linearly between samples, on an irregular (pseudo-random)
// record.
std::vector<long double> runge_kutta(const std::vector<double>& acc, double dt,
                                     double omega, double zeta) {
  const int substeps = static_cast<int>(std::fmax(200.0, std::ceil(omega * dt / 0.002)));
  const long double h = static_cast<long double>(dt) / substeps;
  const long double w = omega;
  const long double z = zeta;
  std::vector<long double> history(acc.size(), 0.0L);
  long double x = 0.0L;
  long double v = 0.0L;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const long double a0 = acc[i - 1];
    const long double slope = (static_cast<long double>(acc[i]) - a0) / dt;
    for (int s = 0; s < substeps; ++s) {
      const long double tau = s * h;
      const auto accel = [&](long double t, long double pos, long double vel) {
        return -(a0 + slope * t) - 2 * z * w * vel - w * w * pos;
      };
      const long double k1x = v, k1v = accel(tau, x, v);
      const long double k2x = v + h / 2 * k1v, k2v = accel(tau + h / 2, x + h / 2 * k1x, k2x);
      const long double k3x = v + h / 2 * k2v, k3v = accel(tau + h / 2, x + h / 2 * k2x, k3x);
      const long double k4x = v + h * k3v, k4v = accel(tau + h, x + h * k3x, k4x);
      x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
      v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    history[i] = x;
  }
  return history;
}

std::vector<double> irregular_record(std::size_t count) {
  std::vector<double> acc(count);
  std::uint32_t state = 12345u;
  for (std::size_t i = 0; i < count; ++i) {
    state = state * 1664525u + 1013904223u;  // a fixed linear congruence
    acc[i] = (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * 400.0;
  }
  return acc;
}

// Both at the record's step and at a tenth of it, where the long periods
// have the smallest omega dt (6e-4 at 10 s) and the recurrence's
// coefficients the most cancellation.
TEST(SpectrumSolver, MatchesFineRungeKuttaOnIrregularRecord) {
  const std::vector<double> acc = irregular_record(1500);
  for (const double dt : {0.01, 0.001}) {
    for (const Case& c : kCases) {
      const double omega = 2.0 * kPi / c.period;
      const std::vector<double> x = groundmotion::relative_displacement(acc, dt, omega, c.zeta);
      const std::vector<long double> reference = runge_kutta(acc, dt, omega, c.zeta);
      double worst = 0.0;
      double peak = 0.0;
      for (std::size_t i = 0; i < acc.size(); ++i) {
        worst = std::fmax(worst, std::fabs(static_cast<double>(x[i] - reference[i])));
        peak = std::fmax(peak, std::fabs(static_cast<double>(reference[i])));
      }
      // Observed: at most 5e-12 of the peak (T = 0.02 s, where the Runge-Kutta
      // reference itself is least accurate). 1e-10 leaves a margin for other
      // compilers and libraries and is still far below any printed digit.
      EXPECT_LE(worst, 1e-10 * peak) << "dt " << dt << " T " << c.period << " zeta " << c.zeta;
      EXPECT_NEAR(groundmotion::peak_displacement(acc, dt, omega, c.zeta), peak, 1e-10 * peak);
    }
  }
}

// A stiff oscillator follows the ground: its pseudo-acceleration tends to
// the peak ground acceleration, here within the quasi-static factor
// 1 / (1 - (Omega / omega)^2) of a 0.5 Hz sine seen by a 50 Hz oscillator.
TEST(SpectrumSolver, StiffOscillatorGivesPeakGroundAcceleration) {
  const double dt = 0.01;
  std::vector<double> acc(2000);
  for (std::size_t i = 0; i < acc.size(); ++i) acc[i] = 250.0 * std::sin(kPi * i * dt);
  const std::vector<double> sa = groundmotion::pseudo_acceleration_spectrum(acc, dt, 0.05, {50.0});
  EXPECT_NEAR(sa[0], 250.0, 250.0 * 2e-3);
}

// 100 points a decade from 0.1 Hz, decade values exact, 50 Hz last.
TEST(FrequencyGrid, HundredPerDecadeWithBothEnds) {
  const std::vector<double> grid = groundmotion::spectrum_frequencies();
  ASSERT_EQ(grid.size(), 271u);
  EXPECT_EQ(grid.front(), 0.1);
  EXPECT_EQ(grid[100], 1.0);
  EXPECT_EQ(grid[200], 10.0);
  EXPECT_NEAR(grid[269], 48.977881936844611, 1e-12);
  EXPECT_EQ(grid.back(), 50.0);
  for (std::size_t i = 1; i + 1 < grid.size(); ++i) {
    EXPECT_NEAR(std::log10(grid[i] / grid[i - 1]), 0.01, 1e-12) << i;
  }
  // A high end on the grid is not repeated.
  EXPECT_EQ(groundmotion::log_frequency_grid(0.1, 10.0, 100).size(), 201u);
}

}  // namespace
