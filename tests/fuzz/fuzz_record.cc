// fuzz_record.cc: arbitrary bytes as a record file. The first byte chooses
// how it is read (the format detected or forced, a step for one column, a
// component), the rest is the file. Every outcome must be a record that
// keeps the reader's promises or an InputError naming the file; anything
// else (a crash, a hang, a sanitizer finding, another exception, a broken
// promise) is a finding.
//
// Built as a libFuzzer target (clang, -fsanitize=fuzzer) and, without
// libFuzzer, into the record corpus replay test, which calls check_bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "record.h"

namespace fuzzrecord {

// What the reading of `data` broke, or "" when it kept every promise.
std::string check_bytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return "";
  const unsigned choice = data[0];
  groundmotion::ReadOptions options;
  constexpr groundmotion::Format kFormats[] = {groundmotion::Format::columns, groundmotion::Format::at2,
                                          groundmotion::Format::knet, groundmotion::Format::jma};
  if (choice % 5 < 4) options.format = kFormats[choice % 5];
  if (choice & 8) options.dt = 0.01;
  if (choice & 16) options.component = "NS";
  options.max_samples = 1000;  // the limit met, and the runs kept short
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  groundmotion::Record record;
  try {
    record = groundmotion::parse_record(in, "fuzz.csv", options);
  } catch (const groundmotion::InputError& error) {
    const std::string message = error.what();
    return message.rfind("fuzz.csv:", 0) == 0 ? "" : "a message without the file's name: " + message;
  } catch (const std::exception& error) {
    return std::string("an exception that is not InputError: ") + error.what();
  }
  if (record.acc.size() < 2 || record.acc.size() > options.max_samples) return "sample count";
  // The step worked with: --dt's when given (the matcher resamples to it).
  const double step = options.dt > 0.0 ? options.dt : record.dt;
  if (!(record.dt > 0.0 && std::isfinite(record.dt) && step >= groundmotion::kMinStep)) return "time step";
  if (!std::isfinite(record.start_time)) return "start time";
  for (const double value : record.acc) {
    // K-NET's mean removed may add up to the limit once more.
    if (!(std::fabs(value) <= 2.0 * groundmotion::kMaxAcceleration)) return "an acceleration beyond the limit";
  }
  return "";
}

}  // namespace fuzzrecord

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string broken = fuzzrecord::check_bytes(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "fuzz_record: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
