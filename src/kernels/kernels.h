// kernels.h: the numerical kernels of the system.
//
// Two self-contained routines, free of I/O and of any state of their own:
//   ran0     the minimal-standard uniform generator
//   dwvfast  the in-place radix-2 complex FFT
// Both work only on storage the caller passes.
#pragma once

#include <cstdint>

// Every whole number of the system is a signed 32-bit integer. textio.h
// declares this very alias too; repeating an identical alias declaration is
// legal C++, so the two headers may be included together in any order.
// Keep it identical to the one in textio.h (std::int32_t).
using integer = std::int32_t;

// A complex value: real part first, then imaginary part (two doubles, no
// padding), laid out as the spectrum array of the main program expects.
struct dcomplex {
  double r, i;
};
static_assert(sizeof(dcomplex) == 2 * sizeof(double),
              "dcomplex must be two adjacent doubles");

// ran0: Park–Miller minimal standard generator (multiplier 16807, modulus
// 2147483647), evaluated with Schrage's factorisation (127773, 2836), with an
// exclusive-or mask 123459876 on entry and on exit.
//
// Contract:
//  - *idum holds the masked state on entry and on return; any 32-bit value is
//    a valid seed (0, negative values, INT32_MIN and INT32_MAX included).
//  - Returns (double)raw * 4.656612875245797e-10, rounded once, where raw is
//    the advanced raw state in 0 ... 2147483646; the result lies in (0, 1),
//    except for the three seeds that make the raw state 0 (123459876 and
//    123459876 XOR +/-2147483647), for which it is exactly 0.0 on every call
//    and *idum stays 123459876.
//  - Deterministic and platform-independent: the integer steps are exact and
//    the one floating-point product is rounded once.
//  - idum must point to a valid integer. No other state exists.
double ran0(integer* idum);

// dwvfast: in-place, radix-2, decimation-in-time complex FFT: an explicit
// bit-reversal permutation, then log2(n) butterfly stages; no normalisation.
//
// Contract:
//  - n is a positive power of two (1, 2, 4, ...; asserted); a points to n
//    complex values, a[0] being the 1-based element a(1).
//  - ind is the exponent sign, +1 or -1. On return, a[m] (0-based)
//    approximates sum over p = 0 ... n-1 of a_in[p] * exp(ind * 2 pi i p m / n),
//    with no factor 1/n.
//  - The twiddle angles are built from the ten-digit value pai = 3.141592654
//    (the system's own constant), not from the full double pi, so results
//    differ from the exact DFT by about |pai - pi| * log2(n) * sum|a_in|.
//  - Needs no storage beyond a few scalars; a is overwritten.
void dwvfast(integer n, dcomplex* a, integer ind);
