// Benchmarks of the numerical kernels, at the sizes
// one run of the program uses: 8192 deviates and one 16384-point transform.
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "kernels.h"

// 8192 calls of ran0 per iteration, as the spectrum synthesis makes, each
// iteration starting from the same seed.
static void BM_ran0_8192(benchmark::State& state) {
  for (auto _ : state) {
    integer idum = 17;
    double sum = 0.0;
    for (int io = 0; io < 8192; ++io) sum += ran0(&idum);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(idum);
  }
  state.SetItemsProcessed(state.iterations() * 8192);
}
BENCHMARK(BM_ran0_8192);

// One dwvfast of 16384 points, sign +1, per iteration. The transform does not
// normalise, so the fixed input is copied back into the work array before each
// transform (values would otherwise grow to infinity); the copy runs with the
// timer paused, so the figure is the transform alone (plus the small, constant
// cost of pausing and resuming the timer, well under 1% of a transform).
static void BM_dwvfast_16384(benchmark::State& state) {
  constexpr integer n = 16384;
  std::vector<dcomplex> input(n);
  std::mt19937_64 gen(12345);
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  for (dcomplex& z : input) z = {d(gen), d(gen)};
  std::vector<dcomplex> work(n);
  for (auto _ : state) {
    state.PauseTiming();
    work = input;
    state.ResumeTiming();
    dwvfast(n, work.data(), +1);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(work.data());
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_dwvfast_16384)->Unit(benchmark::kMicrosecond);
