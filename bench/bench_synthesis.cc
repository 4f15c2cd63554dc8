// Benchmark of the spectrum synthesis stage as one run makes it: seed 7,
// 16384 points, 8192 draws and phases, the conjugate half and one dwvfast.
#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "kernels.h"
#include "synthesis.h"

static void BM_synthesize_spectrum_16384(benchmark::State& state) {
  constexpr integer nt = 16384;
  // pi and dom exactly as the run sequence computes them (dt = 0.01).
  const double pi = std::atan(1.0) * 4;
  const double dom = (pi + pi) / (nt * 0.01);
  // The stage writes every one of the nt elements, so the array needs no
  // resetting between iterations.
  std::vector<dcomplex> fx(nt);
  for (auto _ : state) {
    integer idum = 7;
    synthesis::synthesize_spectrum(&idum, pi, dom, nt, fx.data());
    benchmark::DoNotOptimize(idum);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(fx.data());
  state.SetItemsProcessed(state.iterations() * nt);
}
BENCHMARK(BM_synthesize_spectrum_16384)->Unit(benchmark::kMicrosecond);
