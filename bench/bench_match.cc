// One whole match of the seed of the worked example (random number 7,
// default corner times), made in memory exactly as the file holds it.
#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "match.h"
#include "record_file.h"
#include "synthesis.h"

namespace {

// The seed record the program writes for random number 7: the synthesis
// stages as the main program runs them, each value as the file reads back.
spectra::Record seed7() {
  static dcomplex fx[synthesis::kCapacity];
  integer idum = 7;
  const double pi = std::atan(1.0) * 4;
  const integer nt = 16384;
  const double dt = 0.01;
  const double dur = nt * dt;
  synthesis::synthesize_spectrum(&idum, pi, (pi + pi) / dur, nt, fx);
  const synthesis::Envelope envelope = {4.0, 35.0, 80.0, dur, 0.1};
  spectra::Record record;
  record.dt = dt;
  record.time_resolution = 0.01;
  for (integer i = 0; i < nt; ++i) {
    const double value = fx[i].r / dur * synthesis::envelope_factor(i * dt, envelope);
    record.acc.push_back(match::as_written(value));
  }
  return record;
}

void BM_MatchSeed7(benchmark::State& state) {
  const spectra::Record seed = seed7();
  std::size_t iterations = 0;
  for (auto _ : state) {
    const match::MatchResult result = match::match_record(seed, match::Settings{});
    iterations = result.iterations.size() - 1;
    benchmark::DoNotOptimize(result.acc.data());
  }
  state.counters["iterations"] = static_cast<double>(iterations);
}
BENCHMARK(BM_MatchSeed7)->Unit(benchmark::kMillisecond);

}  // namespace
