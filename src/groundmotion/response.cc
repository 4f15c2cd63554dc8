// response.cc: response spectra (see response.h).
#include "response.h"

#include <algorithm>
#include <cmath>

namespace groundmotion {
namespace {

using Real = long double;

// State after one step of length dt from (x0, v0), with the ground
// acceleration going linearly from a0 to a1.
//
// A particular solution for the linear excitation a0 + (a1 - a0) tau / dt
// is x_p = c0 + c1 tau, with omega^2 c1 = -(a1 - a0) / dt and
// 2 zeta omega c1 + omega^2 c0 = -a0. The rest is free damped motion from
// (x0 - c0, v0 - c1): with E = exp(-zeta omega dt) and omega_d =
// omega sqrt(1 - zeta^2),
//     x = E [x cos + (v + zeta omega x) / omega_d sin]
//     v = E [v cos - (zeta omega v + omega^2 x) / omega_d sin]
// evaluated at omega_d dt.
struct StepState {
  Real x;
  Real v;
};

StepState exact_step(Real omega, Real zeta, Real dt, Real x0, Real v0,
                     Real a0, Real a1) {
  const Real omega2 = omega * omega;
  const Real c1 = -(a1 - a0) / (dt * omega2);
  const Real c0 = (-a0 - 2 * zeta * omega * c1) / omega2;
  const Real free_x = x0 - c0;
  const Real free_v = v0 - c1;
  const Real omega_d = omega * std::sqrt(1 - zeta * zeta);
  const Real decay = std::exp(-zeta * omega * dt);
  const Real cosine = std::cos(omega_d * dt);
  const Real sine = std::sin(omega_d * dt);
  StepState end;
  end.x = c0 + c1 * dt +
          decay * (free_x * cosine +
                   (free_v + zeta * omega * free_x) / omega_d * sine);
  end.v = c1 + decay * (free_v * cosine -
                        (zeta * omega * free_v + omega2 * free_x) / omega_d *
                            sine);
  return end;
}

}  // namespace

std::vector<double> log_frequency_grid(double low, double high,
                                       int per_decade) {
  std::vector<double> grid;
  const double decades_low = std::log10(low);
  for (int k = 0;; ++k) {
    // Formed from the exponent each time, so that decade values are exact.
    const double frequency =
        std::pow(10.0, decades_low + static_cast<double>(k) / per_decade);
    if (frequency >= high * (1.0 - 1e-9)) break;
    grid.push_back(frequency);
  }
  grid.push_back(high);
  return grid;
}

std::vector<double> spectrum_frequencies() {
  return log_frequency_grid(kGridLow, kGridHigh, kGridPerDecade);
}

Oscillator::Oscillator(double omega, double zeta, double dt) : omega_(omega) {
  // The step is linear in (x0, v0, a0, a1): its coefficients are the
  // responses to each unit input.
  const StepState from_x = exact_step(omega, zeta, dt, 1, 0, 0, 0);
  const StepState from_v = exact_step(omega, zeta, dt, 0, 1, 0, 0);
  const StepState from_a0 = exact_step(omega, zeta, dt, 0, 0, 1, 0);
  const StepState from_a1 = exact_step(omega, zeta, dt, 0, 0, 0, 1);
  a_xx_ = static_cast<double>(from_x.x);
  a_vx_ = static_cast<double>(from_x.v);
  a_xv_ = static_cast<double>(from_v.x);
  a_vv_ = static_cast<double>(from_v.v);
  b_x0_ = static_cast<double>(from_a0.x);
  b_v0_ = static_cast<double>(from_a0.v);
  b_x1_ = static_cast<double>(from_a1.x);
  b_v1_ = static_cast<double>(from_a1.v);
}

std::vector<double> relative_displacement(const std::vector<double>& acc,
                                          double dt, double omega,
                                          double zeta) {
  const Oscillator oscillator(omega, zeta, dt);
  std::vector<double> history(acc.size(), 0.0);
  double x = 0.0;
  double v = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    oscillator.step(x, v, acc[i - 1], acc[i]);
    history[i] = x;
  }
  return history;
}

double peak_displacement(const std::vector<double>& acc, double dt,
                         double omega, double zeta) {
  const Oscillator oscillator(omega, zeta, dt);
  double x = 0.0;
  double v = 0.0;
  double peak = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    oscillator.step(x, v, acc[i - 1], acc[i]);
    peak = std::fmax(peak, std::fabs(x));
  }
  return peak;
}

std::vector<double> pseudo_acceleration_spectrum(
    const std::vector<double>& acc, double dt, double zeta,
    const std::vector<double>& frequencies) {
  // Four oscillators at a time, so that their independent steps overlap;
  // each takes the same steps in the same order as alone.
  constexpr std::size_t kLanes = 4;
  const double two_pi = 2.0 * std::acos(-1.0);
  std::vector<double> spectrum(frequencies.size());
  for (std::size_t first = 0; first < frequencies.size(); first += kLanes) {
    const std::size_t lanes = std::min(kLanes, frequencies.size() - first);
    std::vector<Oscillator> oscillators;
    for (std::size_t lane = 0; lane < lanes; ++lane) {
      oscillators.emplace_back(two_pi * frequencies[first + lane], zeta, dt);
    }
    double x[kLanes] = {};
    double v[kLanes] = {};
    double peak[kLanes] = {};
    for (std::size_t i = 1; i < acc.size(); ++i) {
      for (std::size_t lane = 0; lane < lanes; ++lane) {
        oscillators[lane].step(x[lane], v[lane], acc[i - 1], acc[i]);
        const double size = std::fabs(x[lane]);
        if (size > peak[lane]) peak[lane] = size;  // std::fmax for values never NaN
      }
    }
    for (std::size_t lane = 0; lane < lanes; ++lane) {
      const double omega = oscillators[lane].omega();
      spectrum[first + lane] = omega * omega * peak[lane];
    }
  }
  return spectrum;
}

}  // namespace groundmotion
