// Records as engineers have them: reading a PEER NGA file of 50,000
// samples, and a batch of 8 seeds matched one at a time and two at a time
// (wall time: with two cores free, -j 2 takes about half of -j 1).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "record.h"
#include "record_file.h"
#include "seed_record.h"

namespace {

namespace fs = std::filesystem;

// A PEER NGA file in g, 50,000 values five a line as the database writes
// them ("  .2084400E-02").
std::string at2_text(std::size_t count) {
  std::string text =
      "PEER NGA STRONG MOTION DATABASE RECORD\nBENCHMARK, 50000 SAMPLES\n"
      "ACCELERATION TIME HISTORY IN UNITS OF G\nNPTS=  " + std::to_string(count) +
      ", DT=   .0050 SEC\n";
  char value[32];
  for (std::size_t i = 0; i < count; ++i) {
    const double t = 0.005 * static_cast<double>(i);
    std::snprintf(value, sizeof value, "%15.7E", 0.1 * std::sin(7.0 * t) * std::exp(-0.02 * t));
    text += value;
    if (i % 5 == 4) text += '\n';
  }
  return text;
}

void BM_ReadAt2(benchmark::State& state) {
  const std::string text = at2_text(50000);
  for (auto _ : state) {
    std::istringstream in(text);
    const groundmotion::Record record = groundmotion::parse_record(in, "bench.AT2");
    benchmark::DoNotOptimize(record.acc.data());
  }
}
BENCHMARK(BM_ReadAt2)->Unit(benchmark::kMillisecond);

// 8 copies of the seed of the worked example matched by the program's own
// entry point with --out-dir and -j N; the argument is N.
void BM_MatchBatchOf8(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "seedacc-bench-batch";
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  const groundmotion::Record seed = bench::seed7();
  const std::string file = match::format_record_file(seed, seed.acc);
  std::vector<std::string> args;
  for (int k = 0; k < 8; ++k) {
    const std::string path = (dir / ("seed" + std::to_string(k) + ".csv")).string();
    std::ofstream(path, std::ios::binary) << file;
    args.push_back(path);
  }
  args.insert(args.end(), {"--out-dir", (dir / "out").string(), "-j",
                           std::to_string(state.range(0))});
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    benchmark::DoNotOptimize(match::run(args, out, err));
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_MatchBatchOf8)->Arg(1)->Arg(2)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
