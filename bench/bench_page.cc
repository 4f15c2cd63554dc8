// The time to write the HTML page of seedacc-check: for one record and for
// a suite of ten, each the seed of the worked example. The spectrum and the
// figures of the record are computed once, outside the timing, as the
// check has them before it writes; the timing holds what writing the page
// adds: the SHA-256 of each input file's bytes and the page itself.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "html.h"
#include "provenance.h"
#include "record_file.h"
#include "report.h"
#include "seed_record.h"

namespace {

void BM_PageOfRecords(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const groundmotion::Record seed = bench::seed7();
  const check::CheckResult result = check::run_check(seed, groundmotion::CriteriaOptions{});
  match::OutputLayout layout;
  layout.target = "jp-l2";
  const std::string file = match::format_record_file(seed, seed.acc, layout);
  std::vector<check::PageRecord> records(count);
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < count; ++i) {
      records[i].file = "seed7-" + std::to_string(i) + ".csv";
      records[i].result = &result;
      records[i].facts = page::content_facts(records[i].file, file);
    }
    const std::string html = check::format_html(records, "2026-12-08 12:00:00 UTC");
    bytes = html.size();
    benchmark::DoNotOptimize(html.data());
  }
  state.counters["page_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PageOfRecords)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
