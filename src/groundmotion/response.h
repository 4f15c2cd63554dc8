// response.h: linear elastic response spectra of a ground-motion record.
//
// A single-degree-of-freedom oscillator of circular frequency omega and
// damping ratio zeta, at rest at the first sample, is driven by the ground
// acceleration a(t):
//
//     x'' + 2 zeta omega x' + omega^2 x = -a(t),
//
// x being the displacement relative to the ground. Between two samples the
// ground acceleration is taken to vary linearly; for such excitation the
// motion over one step has a closed form, so the response at the samples is
// exact (to rounding) whatever omega dt is. It is advanced by the two-by-two
// recurrence
//
//     [x, v](i+1) = A [x, v](i) + B [a(i), a(i+1)].
//
// The pseudo-acceleration is omega^2 times the largest |x| at the samples,
// over the length of the record.
#pragma once

#include <vector>

namespace groundmotion {

constexpr double kDefaultDamping = 0.05;

// The frequencies of the spectrum, Hz: low * 10^(k / per_decade) for
// k = 0, 1, ... while below high (1e-9 relative margin), then high itself
// as the last point. The decade values (1 Hz, 10 Hz for low = 0.1) are
// points of the grid; the last interval is the shorter one. For 0.1 Hz to
// 50 Hz at 100 per decade: 0.1 ... 48.98 Hz (270 points) and 50 Hz.
// Requires 0 < low < high and per_decade > 0.
std::vector<double> log_frequency_grid(double low, double high, int per_decade);

// The grid of the spectrum: kGridLow to kGridHigh Hz, kGridPerDecade per
// decade (0.1 Hz to 50 Hz, 100 per decade, 271 points).
constexpr double kGridLow = 0.1;    // Hz
constexpr double kGridHigh = 50.0;  // Hz
constexpr int kGridPerDecade = 100;
std::vector<double> spectrum_frequencies();

// One oscillator with its exact step for piecewise-linear excitation.
class Oscillator {
 public:
  // omega > 0 rad/s, 0 < zeta < 1, dt > 0 s. The coefficients are formed in
  // long double; their rounding grows like eps / (omega dt)^3 for small
  // omega dt: a few 1e-13 relative at 0.1 Hz and dt = 0.01 s.
  Oscillator(double omega, double zeta, double dt);

  // Advances relative displacement x (cm) and velocity v (cm/s) over one
  // step during which the ground acceleration goes linearly from a_begin to
  // a_end (gal).
  void step(double& x, double& v, double a_begin, double a_end) const {
    const double x_next = a_xx_ * x + a_xv_ * v + b_x0_ * a_begin + b_x1_ * a_end;
    const double v_next = a_vx_ * x + a_vv_ * v + b_v0_ * a_begin + b_v1_ * a_end;
    x = x_next;
    v = v_next;
  }

  double omega() const { return omega_; }

 private:
  double omega_;
  double a_xx_, a_xv_, a_vx_, a_vv_;  // free motion
  double b_x0_, b_x1_, b_v0_, b_v1_;  // response to a_begin and a_end
};

// Relative displacement at every sample of `acc` (gal, step dt), from rest.
std::vector<double> relative_displacement(const std::vector<double>& acc,
                                          double dt, double omega,
                                          double zeta);

// Largest |relative displacement| at the samples, cm.
double peak_displacement(const std::vector<double>& acc, double dt,
                         double omega, double zeta);

// Pseudo-acceleration spectrum, gal: omega^2 * peak displacement at each
// frequency of `frequencies` (Hz), for damping ratio zeta.
std::vector<double> pseudo_acceleration_spectrum(
    const std::vector<double>& acc, double dt, double zeta,
    const std::vector<double>& frequencies);

}  // namespace groundmotion
