// seed_record.cc: the seed of the worked example (see seed_record.h).
#include "seed_record.h"

#include <cmath>

#include "record_file.h"
#include "synthesis.h"

namespace bench {

groundmotion::Record seed7() {
  static dcomplex fx[synthesis::kCapacity];
  integer idum = 7;
  const double pi = std::atan(1.0) * 4;
  const integer nt = 16384;
  const double dt = 0.01;
  const double dur = nt * dt;
  synthesis::synthesize_spectrum(&idum, pi, (pi + pi) / dur, nt, fx);
  const synthesis::Envelope envelope = {4.0, 35.0, 80.0, dur, 0.1};
  groundmotion::Record record;
  record.dt = dt;
  record.time_resolution = 0.01;
  for (integer i = 0; i < nt; ++i) {
    const double value = fx[i].r / dur * synthesis::envelope_factor(i * dt, envelope);
    record.acc.push_back(match::as_written(value));
  }
  return record;
}

}  // namespace bench
