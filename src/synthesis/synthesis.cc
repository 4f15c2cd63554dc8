// synthesis.cc: the random-phase spectrum, the time envelope and the record
// file.
#include "synthesis.h"

#include <cassert>
#include <cmath>

#include "target_sa.h"

namespace synthesis {

void synthesize_spectrum(integer* idum, double pi, double dom, integer nt, dcomplex* fx) {
  assert(nt >= 2 && nt <= kCapacity && (nt & (nt - 1)) == 0);
  const integer nom = nt / 2;
  fx[0].r = 0.0;  // no mean value
  fx[0].i = 0.0;
  // Increasing frequency order fixes which random number goes to which
  // frequency.
  for (integer io = 1; io <= nom; ++io) {
    double om = io * dom;
    double period = (pi + pi) / om;
    double ran = ran0(idum) * pi;  // rounded to double, then doubled
    ran = ran + ran;
    double dr = std::cos(ran);
    double di = std::sin(ran);
    double sa = target_sa(period);
    double psv = (sa * period) / (pi * pi);
    // (dr, di) * (psv, 0), written out as the complex product. The zero
    // terms leave every part that is not zero as it is and decide only the
    // sign of a zero part (-0.0 - -0.0 is +0.0). Neither record field shows
    // the sign of a zero, so the file's bytes do not depend on them today;
    // any later use of these parts that tells -0.0 from +0.0 (a division, a
    // signed-zero edit) would, so they stay as the product is defined.
    fx[io].r = dr * psv - di * 0.0;
    fx[io].i = dr * 0.0 + di * psv;
  }
  const integer nfast = nt;
  // The negative frequencies are the conjugates of the positive ones; the
  // highest frequency fx(nfast/2 + 1) keeps its random phase.
  for (integer i = 2; i <= nfast / 2; ++i) {
    fx[nfast - i + 1].r = fx[i - 1].r;
    fx[nfast - i + 1].i = -fx[i - 1].i;
  }
  sig_poll();
  dwvfast(nfast, fx, 1);
  sig_poll();
}

double envelope_factor(double time, const Envelope& env) {
  if (time < env.tb) {
    double tb2 = env.tb * env.tb;
    if (tb2 == 0.0) {  // tb so small that its square underflows
      double ratio = time / env.tb;
      return ratio * ratio;
    }
    return (time * time) / tb2;
  }
  if (time < env.tc) return 1.0;
  if (time < env.td) return std::exp(std::log(env.afac) * (time - env.tc) / (env.td - env.tc));
  if (time < env.te) {
    double ratio = (env.te - time) / (env.te - env.td);
    return ratio * ratio * env.afac;
  }
  return 0.0;
}

namespace {

// The record format, held with 0x02 in place of each apostrophe. The
// records come out the same with apostrophes, but a fatal report during the
// records shows this text byte for byte after "last format: ", so writing
// the apostrophes would change standard error.
const char kRecordFormat[] = "(F8.2,\x02,\x02,E12.4)";

const integer kOne = 1;
const ftnlen kDoubleLength = sizeof(double);

}  // namespace

void write_record_file(const char* infile, ftnlen infile_length, const dcomplex* fx, double* acc,
                       integer nfast, double dt, double dur, const Envelope& env) {
  olist open_request = {0, 9, infile, infile_length, "unknown", nullptr, nullptr, 0, nullptr};
  f_open(&open_request);

  static const char kHeader[] = "time(sec),seed-Acc(gal)";
  cilist header = {0, 9, 0, nullptr, 0};
  s_wsle(&header);
  do_lio(&TYCHAR, &kOne, const_cast<char*>(kHeader), sizeof kHeader - 1);
  e_wsle();

  cilist record = {0, 9, 0, kRecordFormat, 0};
  for (integer i = 1; i <= nfast; ++i) {
    double time = (i - 1) * dt;  // multiplied, never accumulated
    acc[i - 1] = fx[i - 1].r / dur;
    double aa = envelope_factor(time, env);
    acc[i - 1] = acc[i - 1] * aa;
    s_wsfe(&record);
    do_fio(&kOne, &time, kDoubleLength);
    do_fio(&kOne, &acc[i - 1], kDoubleLength);
    e_wsfe();
  }

  cllist close_request = {0, 9, nullptr};
  f_clos(&close_request);
}

}  // namespace synthesis
