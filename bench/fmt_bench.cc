// The output loop's record editing: 16384 records (F8.2,',',E12.4) of time
// and acceleration, each walked through the format and edited into a record
// buffer, as one formatted write statement does it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "fmt.h"

namespace {

constexpr int kRecords = 16384;

// Accelerations like the program's: magnitudes spread evenly in log from
// 1e-6 to 1e3, either sign, from a fixed linear congruential sequence.
std::vector<double> accelerations() {
  std::vector<double> values(kRecords);
  std::uint32_t state = 12345;
  for (double& value : values) {
    state = state * 1664525u + 1013904223u;
    const double unit = static_cast<double>(state >> 8) / 16777216.0;  // [0, 1)
    value = std::pow(10.0, -6.0 + 9.0 * unit) * ((state & 1) != 0 ? -1.0 : 1.0);
  }
  return values;
}

void BM_edit_records_16384(benchmark::State& state) {
  using textio::fmt::EditItem;
  using textio::fmt::Format;
  const std::vector<double> acc = accelerations();
  Format format;
  if (!format.parse("(F8.2,\x02,\x02,E12.4)")) {
    state.SkipWithError("the record format does not parse");
    return;
  }
  // One record: at most max_record_length() (21) characters and the line
  // feed.
  std::vector<char> record(format.max_record_length() + 1);
  for (auto _ : state) {
    for (int i = 1; i <= kRecords; ++i) {
      const double values[2] = {(i - 1) * 0.01, acc[i - 1]};
      char* end = record.data();
      format.rewind();
      for (double value : values) {
        EditItem item;
        // Two items, two data edit items: the format never reverts here.
        if (format.next_item(end, item) != Format::Step::kItem) {
          state.SkipWithError("the format has no data item");
          return;
        }
        end = textio::fmt::edit(end, value, item);
      }
      format.finish(end);
      *end++ = '\n';
      benchmark::DoNotOptimize(record.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_edit_records_16384);

}  // namespace
