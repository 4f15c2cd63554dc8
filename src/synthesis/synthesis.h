// synthesis.h: the stages of the seed-acceleration synthesis, as plain
// routines on storage the caller owns.
#pragma once

#include "kernels.h"
#include "textio.h"

namespace synthesis {

// The main program's arrays hold up to this many elements; a run uses nt.
constexpr integer kCapacity = 131080;

// Fills fx[0] ... fx[nt-1] (the 1-based fx(1) ... fx(nt)) with the
// random-phase spectrum of the target response spectrum and transforms it
// into the unshaped history: fx(1) = 0; for io = 1 ... nt/2 one ran0 draw
// sets the phase of fx(io+1) and the target spectrum its amplitude; the
// conjugates fill fx(nt) ... fx(nt/2+2); one dwvfast of length nt, sign +1.
// Advances *idum by nt/2 draws. Requires nt a power of two, 2 <= nt <=
// kCapacity, and pi and dom as the run sequence computes them.
void synthesize_spectrum(integer* idum, double pi, double dom, integer nt, dcomplex* fx);

// The corner times and decay level of the time envelope.
struct Envelope {
  double tb, tc, td, te, afac;
};

// The envelope factor at `time`: the first piece whose strict test holds,
// in the order time < tb (parabolic rise), < tc (1), < td (exponential
// decay to afac), < te (parabolic taper), otherwise 0. Never 0/0: a tb whose
// square underflows still gives 0 at time 0.
double envelope_factor(double time, const Envelope& env);

// Connects `infile` (length `infile_length`, blank-padded) on unit 9 and
// writes the header and one record per sample: time (i-1)*dt and
// re(fx(i)) / dur shaped by the envelope, stored into acc[i-1]. Disconnects
// the file at the end.
void write_record_file(const char* infile, ftnlen infile_length, const dcomplex* fx, double* acc,
                       integer nfast, double dt, double dur, const Envelope& env);

}  // namespace synthesis
