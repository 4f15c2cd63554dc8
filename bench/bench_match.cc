// One whole match of the seed of the worked example (random number 7,
// default corner times), made in memory exactly as the file holds it.
#include <benchmark/benchmark.h>

#include "match.h"
#include "seed_record.h"

namespace {

void BM_MatchSeed7(benchmark::State& state) {
  const groundmotion::Record seed = bench::seed7();
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
