// kernels.cc: ran0 and dwvfast.
#include "kernels.h"

#include <cassert>
#include <cmath>

namespace {

constexpr integer kMask = 123459876;       // 0x75BD924
constexpr integer kMult = 16807;           // multiplier
constexpr integer kMod = 2147483647;       // 2^31 - 1
constexpr integer kQuot = 127773;          // kMod / kMult
constexpr integer kRem = 2836;             // kMod % kMult
constexpr double kScale = 4.656612875245797e-10;  // nearest double to 1/kMod

// The angle constant of every twiddle: the double nearest to 3.141592654
// (ten digits, deliberately not the full double pi).
constexpr double kPai = 3.141592654;

}  // namespace

double ran0(integer* idum) {
  // Ranges, for every 32-bit input x = *idum ^ kMask:
  //   k = x / 127773 lies in [-16807, 16807] (127773 * 16807 = 2147480811);
  //   x - k * 127773 lies strictly in (-127773, 127773) and has the sign of x,
  //   as k does; so 16807 * (x - k*127773) lies in [-2147464004, 2147464004]
  //   and 2836 * k in [-47664652, 47664652]. The two terms of the difference
  //   have the same sign, so the difference lies in
  //   [-2147464004, 2147464004]: no signed overflow anywhere. Adding the
  //   modulus to a negative value gives at least 19643.
  integer x = *idum ^ kMask;                    // 1
  const integer k = x / kQuot;                  // 2 (truncates toward zero)
  x = kMult * (x - k * kQuot) - kRem * k;       // 3
  if (x < 0) x += kMod;                         // 4
  const double result = static_cast<double>(x) * kScale;  // 5 (one rounding)
  *idum = x ^ kMask;                            // 6
  return result;                                // 7
}

void dwvfast(integer n, dcomplex* a, integer ind) {
  assert(n >= 1 && (n & (n - 1)) == 0 && "dwvfast: n must be a power of two");

  // The indices i, j below are the 1-based ones of the algorithm; element a(i) is a[i-1].

  // Stage A: bit-reversal permutation, exactly as the 1-based algorithm runs
  // it (including the early stop of the inner loop once m is 1 or less).
  integer j = 1;
  for (integer i = 1; i <= n; ++i) {
    if (i < j) {
      const dcomplex t = a[i - 1];
      a[i - 1] = a[j - 1];
      a[j - 1] = t;
    }
    integer m = n / 2;
    for (;;) {
      if (j <= m) break;
      j -= m;
      m /= 2;
      if (m <= 1) break;
    }
    j += m;
  }

  // Stage B: butterflies. i + istep <= n + kmax <= 1.5 n never overflows.
  integer kmax = 1;
  while (kmax < n) {
    const integer istep = 2 * kmax;
    for (integer k = 1; k <= kmax; ++k) {
      // Integer product, converted to double, times pai, divided by kmax.
      const double theta = static_cast<double>((k - 1) * ind) * kPai /
                           static_cast<double>(kmax);
      // exp(i theta) = exp(0) * (cos theta, sin theta), once per k.
      const double wr = std::cos(theta);
      const double wi = std::sin(theta);
      for (integer i = k; i <= n; i += istep) {
        const integer jj = i + kmax;
        dcomplex& aj = a[jj - 1];
        dcomplex& ai = a[i - 1];
        // temp = a(j) * w, the full complex product written out.
        const double tr = aj.r * wr - aj.i * wi;
        const double ti = aj.r * wi + aj.i * wr;
        aj.r = ai.r - tr;
        aj.i = ai.i - ti;
        ai.r = ai.r + tr;
        ai.i = ai.i + ti;
      }
    }
    kmax = istep;
  }
}
