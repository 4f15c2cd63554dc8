// Tests of ran0 against published figures and against an
// independent reference in 64-bit arithmetic, never against itself.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "kernels.h"

namespace {

constexpr std::int32_t kMask = 123459876;
constexpr std::int64_t kMod = 2147483647;
constexpr double kScale = 4.656612875245797e-10;

// Independent reference: one step of the minimal standard generator on the
// raw (unmasked) state, in 64-bit arithmetic, reduced into 0 ... kMod-1.
std::int64_t ref_step(std::int64_t raw) {
  std::int64_t r = (raw * 16807) % kMod;  // |raw * 16807| < 2^46: exact
  if (r < 0) r += kMod;
  return r;
}

// Drives ran0 `steps` times from `seed` and compares each call with the
// reference: the returned deviate and the masked state left in idum.
void check_against_reference(std::int32_t seed, int steps) {
  integer idum = seed;
  std::int64_t raw = static_cast<std::int32_t>(seed ^ kMask);
  for (int s = 0; s < steps; ++s) {
    const double u = ran0(&idum);
    raw = ref_step(raw);
    ASSERT_GE(raw, 0);
    ASSERT_LT(raw, kMod);
    ASSERT_EQ(static_cast<std::int64_t>(idum ^ kMask), raw)
        << "seed " << seed << " step " << s;
    ASSERT_EQ(u, static_cast<double>(raw) * kScale)
        << "seed " << seed << " step " << s;
  }
}

}  // namespace

// The state that steps to raw state 1 (the inverse of 16807 modulo
// 2147483647 is 1407677000) makes ran0 return its scale itself, which must be
// the double nearest to 1/2147483647.
TEST(Ran0, ScaleIsNearestDoubleToReciprocalOfModulus) {
  integer idum = 1407677000 ^ kMask;
  const double scale = ran0(&idum);
  ASSERT_EQ(idum ^ kMask, 1);
  const long double m = 2147483647.0L;
  const long double e0 = std::fabs(static_cast<long double>(scale) * m - 1);
  const long double em =
      std::fabs(static_cast<long double>(std::nextafter(scale, 0.0)) * m - 1);
  const long double ep =
      std::fabs(static_cast<long double>(std::nextafter(scale, 1.0)) * m - 1);
  EXPECT_LT(e0, em);
  EXPECT_LT(e0, ep);
}

// Park and Miller (1988): from raw state 1, the minimal standard generator
// reaches raw state 1043618065 after 10000 steps. Masked, raw state 1 is the
// seed 1 XOR 123459876.
TEST(Ran0, PublishedCheckValueAfter10000Steps) {
  integer idum = 1 ^ kMask;
  double u = -1.0;
  for (int s = 0; s < 10000; ++s) u = ran0(&idum);
  EXPECT_EQ(idum ^ kMask, 1043618065);
  EXPECT_EQ(u, 1043618065 * 4.656612875245797e-10);
}

// First steps from raw state 1: 16807, 282475249, 1622650073 (published
// opening of the minimal standard sequence).
TEST(Ran0, PublishedOpeningFromRawStateOne) {
  integer idum = 1 ^ kMask;
  const std::int32_t expected[] = {16807, 282475249, 1622650073, 984943658,
                                   1144108930};
  for (std::int32_t e : expected) {
    const double u = ran0(&idum);
    EXPECT_EQ(idum ^ kMask, e);
    EXPECT_EQ(u, static_cast<double>(e) * kScale);
  }
}

// The three seeds that make the raw state 0: every call returns exactly 0.0
// and idum stays 123459876.
TEST(Ran0, SeedsWithRawStateZeroStayAtZero) {
  const std::int32_t seeds[] = {kMask, 2147483647 ^ kMask,
                                -2147483647 ^ kMask};
  EXPECT_GT(seeds[1], 0);
  EXPECT_LT(seeds[2], 0);
  for (std::int32_t seed : seeds) {
    integer idum = seed;
    for (int s = 0; s < 100; ++s) {
      EXPECT_EQ(ran0(&idum), 0.0) << "seed " << seed << " step " << s;
      EXPECT_EQ(idum, kMask) << "seed " << seed << " step " << s;
    }
  }
}

// Seed 0 is valid: the raw state is 123459876 and the sequence proceeds.
TEST(Ran0, SeedZero) {
  integer idum = 0;
  const double u = ran0(&idum);
  const std::int64_t raw = ref_step(kMask);
  EXPECT_EQ(u, static_cast<double>(raw) * kScale);
  EXPECT_EQ(static_cast<std::int64_t>(idum ^ kMask), raw);
  EXPECT_GT(u, 0.0);
  EXPECT_LT(u, 1.0);
  check_against_reference(0, 3000);
}

// Negative seeds give deviates in (0, 1) and follow the reference.
TEST(Ran0, NegativeSeeds) {
  const std::int32_t seeds[] = {-1, -2, -999, -123459876, -1000000007,
                                -2147483647, -2147483646};
  for (std::int32_t seed : seeds) {
    if ((seed ^ kMask) == -2147483647) continue;  // a raw-zero seed
    integer idum = seed;
    for (int s = 0; s < 1000; ++s) {
      const double u = ran0(&idum);
      ASSERT_GT(u, 0.0) << "seed " << seed << " step " << s;
      ASSERT_LT(u, 1.0) << "seed " << seed << " step " << s;
    }
    check_against_reference(seed, 3000);
  }
}

// The extremes of the 32-bit range (the raw states they give are a large
// negative and a large positive value).
TEST(Ran0, Int32Extremes) {
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  for (std::int32_t seed : {lo, hi}) {
    integer idum = seed;
    const double u = ran0(&idum);
    EXPECT_GT(u, 0.0);
    EXPECT_LT(u, 1.0);
    check_against_reference(seed, 3000);
  }
  // The raw states INT32_MIN and INT32_MAX themselves: the extreme inputs
  // of steps 2 to 4 (INT32_MAX = 2^31-1 is the modulus and maps to 0).
  integer idum = lo ^ kMask;
  const double u = ran0(&idum);
  EXPECT_EQ(static_cast<std::int64_t>(idum ^ kMask), ref_step(lo));
  EXPECT_EQ(static_cast<std::int64_t>(idum ^ kMask), kMod - 16807);
  EXPECT_EQ(u, static_cast<double>(kMod - 16807) * kScale);
  idum = hi ^ kMask;
  EXPECT_EQ(ran0(&idum), 0.0);
  EXPECT_EQ(idum, kMask);
}

// The state left by a call continues the sequence: a chain of two-step runs
// (each continuing from the idum left by the one before) agrees with one
// uninterrupted run, and equal seeds give identical sequences.
TEST(Ran0, StateContinuesSequence) {
  for (std::int32_t seed : {1, 7, 999, -5, 123456789}) {
    integer one = seed;
    std::vector<double> a;
    for (int s = 0; s < 2000; ++s) a.push_back(ran0(&one));

    integer chain = seed;
    std::vector<double> b;
    for (int s = 0; s < 1000; ++s) {
      integer carried = chain;  // handed over as a plain value
      b.push_back(ran0(&carried));
      b.push_back(ran0(&carried));
      chain = carried;
    }
    EXPECT_EQ(a, b) << "seed " << seed;
    EXPECT_EQ(one, chain) << "seed " << seed;
  }
}

// A few thousand steps against the 64-bit reference for several seeds,
// including the typical range of the dialogue (1 ... 999).
TEST(Ran0, AgreesWith64BitReference) {
  for (std::int32_t seed : {1, 2, 17, 500, 999, 1000, 65536, 2000000000,
                            -3, -777, -2000000000}) {
    check_against_reference(seed, 5000);
  }
}

// Never 1.0 and, away from the raw-zero seeds, never 0.0, over a long run.
TEST(Ran0, DeviatesInOpenUnitInterval) {
  integer idum = 42;
  for (int s = 0; s < 100000; ++s) {
    const double u = ran0(&idum);
    ASSERT_GT(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
}
