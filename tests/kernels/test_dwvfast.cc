// Tests of dwvfast against an independent reference: a direct
// O(n^2) DFT evaluated in long double with the true pi.
//
// Tolerance. Let delta = pai - pi = 3.141592654 - 3.14159265358979... ~= 4.1e-10.
// In the stage of half-length kmax the twiddle angle is
// (k-1) * ind * pai / kmax = theta * (pai / pi), so it is off from the true
// angle theta by (k-1)/kmax * delta < delta, and the twiddle w' is off from
// the true w by less than delta (|exp(ix) - exp(iy)| <= |x - y|). Every output
// X(m) = sum_p a(p) * (product over the L = log2 n stages of one +/- twiddle
// each), and for unit-modulus factors |prod w' - prod w| <= sum |w'_s - w_s|
// < L * delta. Hence
//     |X_dwvfast(m) - X_true(m)| <= L * delta * sum_p |a(p)|
// plus the floating-point rounding of the L stages, a few units of 2^-53 per
// stage relative to sum |a| (cos/sin within an ulp, the complex product and
// the butterfly sums): below L * 1e-15 * sum |a|. The long double reference
// adds far less. The bound used:
//     tol(n) = L * (4.2e-10 + 1e-15) * ||a||_1      (exactly 0 for n = 1).
// A genuine bug (wrong sign, wrong twiddle, wrong permutation) makes some
// output wrong by the order of the outputs themselves, ~ sqrt(n) * rms|a|,
// which exceeds tol(n) ~ L * 4.2e-10 * n * mean|a| by more than 1e5 at every
// size tested; the test TolerancesCatchGenuineBugs checks that.
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kernels.h"

namespace {

constexpr long double kTruePi = 3.14159265358979323846264338327950288L;
constexpr double kDelta = 4.2e-10;   // >= |pai - pi| ~= 4.1021e-10
constexpr double kRound = 1e-15;     // rounding per stage, relative to L1

int log2_of(int n) {
  int l = 0;
  while ((1 << l) < n) ++l;
  return l;
}

double l1_norm(const std::vector<dcomplex>& a) {
  double s = 0;
  for (const dcomplex& z : a) s += std::hypot(z.r, z.i);
  return s;
}

double tolerance(const std::vector<dcomplex>& a) {
  const int n = static_cast<int>(a.size());
  return log2_of(n) * (kDelta + kRound) * l1_norm(a);
}

std::vector<dcomplex> random_input(int n, std::mt19937_64& gen) {
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  std::vector<dcomplex> a(n);
  for (dcomplex& z : a) {
    z.r = d(gen);
    z.i = d(gen);
  }
  return a;
}

// Direct DFT in long double with the true pi:
//   X(m) = sum_p a(p) exp(sign * 2 pi i * p m / n)   (0-based p, m)
// The angle index is reduced first, (p * m) mod n, and the twiddles are
// tabulated once per (n, sign), so no large angle is ever formed.
// `shift` adds a fixed offset to every angle index (only to fabricate a
// wrong-twiddle transform in TolerancesCatchGenuineBugs; 0 otherwise).
class Reference {
 public:
  Reference(int n, int sign, int shift = 0) : n_(n), shift_(shift), tw_(n) {
    for (int r = 0; r < n; ++r) {
      const long double ang = 2.0L * kTruePi * r / n;
      tw_[r].re = std::cos(ang);
      tw_[r].im = sign * std::sin(ang);
    }
  }
  // Returns |X_ref(m) - out[m]|.
  double error_at(const std::vector<dcomplex>& in, const std::vector<dcomplex>& out,
                  int m) const {
    long double sr = 0, si = 0;
    for (int p = 0; p < n_; ++p) {
      const auto r = static_cast<int>(
          (static_cast<std::int64_t>(p) * m + shift_ * p) % n_);
      const long double ar = in[p].r, ai = in[p].i;
      sr += ar * tw_[r].re - ai * tw_[r].im;
      si += ar * tw_[r].im + ai * tw_[r].re;
    }
    return static_cast<double>(std::hypot(sr - out[m].r, si - out[m].i));
  }

 private:
  struct LC {
    long double re, im;
  };
  int n_;
  int shift_;
  std::vector<LC> tw_;
};

std::vector<dcomplex> transform(std::vector<dcomplex> a, int ind) {
  dwvfast(static_cast<integer>(a.size()), a.data(), ind);
  return a;
}

// The bins to check: all of them up to n = 1024, else 64 (the edges 0, 1,
// n/2, n-1 and 60 random ones).
std::vector<int> bins_for(int n, std::mt19937_64& gen) {
  std::vector<int> bins;
  if (n <= 1024) {
    for (int m = 0; m < n; ++m) bins.push_back(m);
    return bins;
  }
  bins = {0, 1, n / 2, n - 1};
  std::uniform_int_distribution<int> d(0, n - 1);
  while (bins.size() < 64) bins.push_back(d(gen));
  return bins;
}

}  // namespace

// Every power of two from 1 to 16384, both signs, random complex inputs.
TEST(Dwvfast, MatchesDirectDftAllSizesBothSigns) {
  std::mt19937_64 gen(20240601);
  for (int n = 1; n <= 16384; n *= 2) {
    const int inputs = n <= 1024 ? 3 : 2;
    for (int ind : {+1, -1}) {
      const Reference ref(n, ind);
      for (int t = 0; t < inputs; ++t) {
        const std::vector<dcomplex> in = random_input(n, gen);
        const std::vector<dcomplex> out = transform(in, ind);
        const double tol = tolerance(in);
        double worst = 0;
        for (int m : bins_for(n, gen)) {
          const double e = ref.error_at(in, out, m);
          worst = std::max(worst, e);
          ASSERT_LE(e, tol) << "n " << n << " ind " << ind << " bin " << m;
        }
        // Informational: how much of the bound the worst bin used.
        if (t == 0 && tol > 0) {
          std::ostringstream ratio;
          ratio << worst / tol;
          RecordProperty("worst_over_tol_n" + std::to_string(n) +
                             (ind > 0 ? "_plus" : "_minus"),
                         ratio.str());
        }
      }
    }
  }
}

// The bound discriminates: transforms with a genuine bug fail it by far.
TEST(Dwvfast, TolerancesCatchGenuineBugs) {
  std::mt19937_64 gen(7);
  for (int n = 4; n <= 16384; n *= 2) {
    const std::vector<dcomplex> in = random_input(n, gen);
    const double tol = tolerance(in);
    const std::vector<dcomplex> out = transform(in, +1);
    const std::vector<int> bins = bins_for(n, gen);

    auto worst_error = [&](const Reference& ref, const std::vector<dcomplex>& x,
                           const std::vector<dcomplex>& y) {
      double w = 0;
      for (int m : bins) w = std::max(w, ref.error_at(x, y, m));
      return w;
    };
    // Wrong sign: the +1 output judged as a -1 transform.
    EXPECT_GT(worst_error(Reference(n, -1), in, out), 1e3 * tol) << n;
    // Wrong twiddle: every angle off by one step 2 pi p / n.
    EXPECT_GT(worst_error(Reference(n, +1, 1), in, out), 1e3 * tol) << n;
    // Wrong permutation: two inputs exchanged.
    std::vector<dcomplex> swapped = in;
    std::swap(swapped[1], swapped[n / 2]);
    EXPECT_GT(worst_error(Reference(n, +1), swapped, out), 1e3 * tol) << n;
  }
}

// The kernel's twiddle angles are built from the ten-digit 3.141592654, not
// the double pi: from 1024 points on, its error against the true DFT lies
// within the bound and well above what rounding alone gives (a transform with
// the double pi stays below L * kRound * ||a||_1).
TEST(Dwvfast, ErrorIsTheTenDigitPisWithinTheBound) {
  std::mt19937_64 gen(99);
  for (int n = 1024; n <= 16384; n *= 2) {
    for (int ind : {+1, -1}) {
      const std::vector<dcomplex> in = random_input(n, gen);
      const std::vector<dcomplex> out = transform(in, ind);
      const Reference ref(n, ind);
      double worst = 0;
      for (int m : bins_for(n, gen)) worst = std::max(worst, ref.error_at(in, out, m));
      EXPECT_LE(worst, tolerance(in)) << n << " " << ind;
      EXPECT_GT(worst, 10 * log2_of(n) * kRound * l1_norm(in)) << n << " " << ind;
    }
  }
}

TEST(Dwvfast, SizeOneUnchanged) {
  for (int ind : {+1, -1}) {
    dcomplex a[1] = {{1.25, -3.5}};
    dwvfast(1, a, ind);
    EXPECT_EQ(a[0].r, 1.25);
    EXPECT_EQ(a[0].i, -3.5);
  }
}

TEST(Dwvfast, SizeTwoSumAndDifference) {
  for (int ind : {+1, -1}) {
    const dcomplex a1 = {0.3, -1.7}, a2 = {2.9, 0.45};
    dcomplex a[2] = {a1, a2};
    dwvfast(2, a, ind);
    EXPECT_EQ(a[0].r, a1.r + a2.r);
    EXPECT_EQ(a[0].i, a1.i + a2.i);
    EXPECT_EQ(a[1].r, a1.r - a2.r);
    EXPECT_EQ(a[1].i, a1.i - a2.i);
  }
}

TEST(Dwvfast, UnitImpulseBecomesAllOnes) {
  for (int n = 1; n <= 16384; n *= 2) {
    for (int ind : {+1, -1}) {
      std::vector<dcomplex> a(n, dcomplex{0.0, 0.0});
      a[0].r = 1.0;
      dwvfast(n, a.data(), ind);
      for (int m = 0; m < n; ++m) {
        ASSERT_EQ(a[m].r, 1.0) << n << " " << ind << " " << m;
        ASSERT_EQ(a[m].i, 0.0) << n << " " << ind << " " << m;
      }
    }
  }
}

TEST(Dwvfast, AllZeroStaysZero) {
  for (int n = 1; n <= 16384; n *= 2) {
    for (int ind : {+1, -1}) {
      std::vector<dcomplex> a(n, dcomplex{0.0, 0.0});
      dwvfast(n, a.data(), ind);
      for (int m = 0; m < n; ++m) {
        ASSERT_EQ(a[m].r, 0.0);
        ASSERT_EQ(a[m].i, 0.0);
      }
    }
  }
}

// Real input: the +1 and -1 outputs are complex conjugates. Since the -1
// angles are the exact negatives of the +1 ones, cos is even and sin odd, and
// IEEE negation is exact, they are conjugates to the last bit.
TEST(Dwvfast, RealInputGivesConjugatesForTheTwoSigns) {
  std::mt19937_64 gen(3);
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  for (int n = 1; n <= 16384; n *= 2) {
    std::vector<dcomplex> in(n);
    for (dcomplex& z : in) z = {d(gen), 0.0};
    const std::vector<dcomplex> p = transform(in, +1);
    const std::vector<dcomplex> q = transform(in, -1);
    for (int m = 0; m < n; ++m) {
      ASSERT_EQ(p[m].r, q[m].r) << n << " " << m;
      ASSERT_EQ(p[m].i, -q[m].i) << n << " " << m;
    }
  }
}

// An impulse at position p becomes exp(ind * 2 pi i p m / n): this pins the
// permutation of every index on its own.
TEST(Dwvfast, ShiftedImpulsesGiveTheirExponentials) {
  for (int n : {8, 64, 256}) {
    for (int ind : {+1, -1}) {
      const Reference ref(n, ind);
      for (int p = 0; p < n; ++p) {
        std::vector<dcomplex> in(n, dcomplex{0.0, 0.0});
        in[p].r = 1.0;
        const std::vector<dcomplex> out = transform(in, ind);
        const double tol = tolerance(in);
        for (int m = 0; m < n; ++m)
          ASSERT_LE(ref.error_at(in, out, m), tol) << n << " " << p << " " << m;
      }
    }
  }
}

// Contract: n must be a positive power of two (checked by assert, so only in
// builds without NDEBUG).
TEST(DwvfastDeathTest, RejectsNonPowerOfTwo) {
#ifdef NDEBUG
  GTEST_SKIP() << "assertions are compiled out (NDEBUG)";
#else
  dcomplex a[6] = {};
  EXPECT_DEATH(dwvfast(3, a, 1), "power of two");
  EXPECT_DEATH(dwvfast(6, a, 1), "power of two");
  EXPECT_DEATH(dwvfast(0, a, 1), "power of two");
  EXPECT_DEATH(dwvfast(-4, a, 1), "power of two");
#endif
}
