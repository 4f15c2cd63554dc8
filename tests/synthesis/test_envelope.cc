// Tests of the time envelope.
//
// Expected values are exact where the arithmetic is exact (squares of
// binary fractions, exp(0), the taper's ratio 1); elsewhere they come from
// long double references and are compared within 2e-15 relative: a few
// roundings of double (2^-53 ~= 1.1e-16 each) in the quotient, the product
// with ln(afac) and exp, none of which amplifies them (|ln 0.1| < 2.4).
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "synthesis.h"

namespace {

using synthesis::Envelope;
using synthesis::envelope_factor;

constexpr double kRelTol = 2e-15;
const Envelope kDefaults = {4.0, 35.0, 80.0, 163.84, 0.1};

// exp(ln(afac) * x) = afac^x, evaluated independently in long double.
double decay(double afac, long double fraction) {
  return static_cast<double>(std::pow(static_cast<long double>(afac), fraction));
}

// ((te - t) / (te - td))^2 * afac in long double, for the double time a run
// would pass (163.83 as a double, not the decimal 163.83: near te the
// difference te - t magnifies that distinction a million fold).
double taper(const Envelope& env, double time) {
  const long double ratio = (static_cast<long double>(env.te) - time) /
                            (static_cast<long double>(env.te) - env.td);
  return static_cast<double>(ratio * ratio * env.afac);
}

struct Row {
  Envelope env;
  double time;
  double expected;
  bool exact;
  const char* why;
};

void check(const Row& row) {
  SCOPED_TRACE(row.why);
  const double got = envelope_factor(row.time, row.env);
  if (row.exact)
    EXPECT_EQ(got, row.expected) << "time " << row.time;
  else
    EXPECT_NEAR(got, row.expected, kRelTol * std::fabs(row.expected)) << "time " << row.time;
}

TEST(Envelope, EachPieceWithTheDefaults) {
  const Row rows[] = {
      {kDefaults, 0.0, 0.0, true, "the rise starts at 0"},
      {kDefaults, 1.0, 0.0625, true, "(1/4)^2"},
      {kDefaults, 2.0, 0.25, true, "(2/4)^2"},
      {kDefaults, 4.0, 1.0, true, "tb: the flat part"},
      {kDefaults, 34.99, 1.0, true, "last sample before tc"},
      {kDefaults, 35.0, 1.0, true, "tc: the decay at its start, exp(0)"},
      {kDefaults, 57.5, std::sqrt(0.1), false, "halfway down the decay: 0.1^0.5"},
      {kDefaults, 70.0, decay(0.1, 35.0L / 45), false, "late in the decay"},
      {kDefaults, 80.0, 0.1, true, "td: the taper, ratio 1; exp(ln 0.1) would be 0.10000000000000002"},
      {kDefaults, 120.0, taper(kDefaults, 120.0), false, "inside the taper"},
      {kDefaults, 163.83, taper(kDefaults, 163.83), false, "last sample of a run, still > 0"},
      {kDefaults, 163.84, 0.0, true, "te"},
      {kDefaults, 500.0, 0.0, true, "beyond te"},
  };
  for (const Row& row : rows) check(row);
  EXPECT_GT(envelope_factor(163.83, kDefaults), 0.0);
}

TEST(Envelope, CornerTimeBelongsToTheNextPiece) {
  // With increasing corners the pieces meet, so a corner assigned to the
  // wrong side would not show; these corner sets make the pieces jump.
  const Envelope flat_before_rise = {4.0, 2.0, 80.0, 163.84, 0.1};
  const Envelope taper_before_flat = {4.0, 35.0, 20.0, 163.84, 0.1};
  const Envelope end_before_decay = {4.0, 35.0, 80.0, 60.0, 0.1};
  const Row rows[] = {
      {flat_before_rise, 4.0, decay(0.1, 2.0L / 78), false, "t = tb: not the rise (1)"},
      {taper_before_flat, 35.0, taper(taper_before_flat, 35.0), false, "t = tc: not flat (1)"},
      {end_before_decay, 80.0, 0.0, true, "t = td: not the decay (0.1)"},
  };
  for (const Row& row : rows) check(row);
}

TEST(Envelope, SkippedAndMisorderedPieces) {
  const Envelope no_rise = {0.0, 35.0, 80.0, 163.84, 0.1};
  const Envelope negative_rise = {-1.0, 35.0, 80.0, 163.84, 0.1};
  const Envelope no_flat = {4.0, 4.0, 80.0, 163.84, 0.1};
  const Envelope short_record = {4.0, 35.0, 80.0, 100.0, 0.1};
  const Envelope decay_before_flat = {4.0, 50.0, 30.0, 163.84, 0.1};
  const Envelope end_before_decay = {4.0, 35.0, 80.0, 60.0, 0.1};
  const Row rows[] = {
      {no_rise, 0.0, 1.0, true, "tb = 0: flat from the first sample"},
      {negative_rise, 0.0, 1.0, true, "tb < 0: flat from the first sample"},
      {no_flat, 3.99, (3.99 / 4) * (3.99 / 4), false, "tc = tb: the rise still runs"},
      {no_flat, 42.0, std::sqrt(0.1), false, "tc = tb: decays from tb, halfway at 42"},
      {short_record, 90.0, 0.025, false, "te = 100: ((100-90)/20)^2 * 0.1"},
      {short_record, 100.0, 0.0, true, "te = 100: zero from te on"},
      {short_record, 150.0, 0.0, true, "te = 100: zero from te on"},
      {decay_before_flat, 40.0, 1.0, true, "td < tc: t < tc wins although t > td"},
      {decay_before_flat, 60.0, taper(decay_before_flat, 60.0), false, "td < tc: then the taper"},
      {end_before_decay, 70.0, decay(0.1, 35.0L / 45), false, "te < td: the decay runs past te"},
  };
  for (const Row& row : rows) check(row);
}

TEST(Envelope, UnderflowingRiseNeverGivesNaN) {
  // 1e-170^2 and the smallest subnormal squared underflow to 0 in double;
  // 1e-160^2 is subnormal.
  for (double tb : {1e-170, std::numeric_limits<double>::denorm_min(), 1e-160}) {
    const Envelope tiny = {tb, 35.0, 80.0, 163.84, 0.1};
    EXPECT_EQ(envelope_factor(0.0, tiny), 0.0) << "tb " << tb;
    EXPECT_EQ(envelope_factor(0.01, tiny), 1.0) << "tb " << tb;
  }
  const Envelope tiny = {1e-170, 35.0, 80.0, 163.84, 0.1};
  EXPECT_NEAR(envelope_factor(5e-171, tiny), 0.25, 1e-15) << "half of tb, squared";
}

TEST(Envelope, ContinuousAtIncreasingCorners) {
  // At each corner, the last double below it and the corner itself differ
  // by at most slope * ulp (slopes <= 2/tb, |ln afac|/(td-tc), 2 afac/(te-td),
  // all below 10 here, ulps below 3e-14) plus rounding: 1e-12 is ample,
  // while a jump would be at least of the order of afac.
  const Envelope envelopes[] = {kDefaults, {1.0, 2.0, 3.0, 4.0, 0.5}, {0.5, 20.0, 100.0, 150.0, 0.01}};
  for (const Envelope& env : envelopes) {
    const double corners[] = {env.tb, env.tc, env.td, env.te};
    const double meeting[] = {1.0, 1.0, env.afac, 0.0};
    for (int k = 0; k < 4; ++k) {
      const double before = envelope_factor(std::nextafter(corners[k], 0.0), env);
      const double at = envelope_factor(corners[k], env);
      EXPECT_NEAR(before, meeting[k], 1e-12) << "corner " << corners[k];
      EXPECT_NEAR(at, meeting[k], 1e-12) << "corner " << corners[k];
    }
  }
}

}  // namespace
