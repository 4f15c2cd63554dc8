// fuzz_answers.cc: arbitrary bytes as the answers to the dialogue's four
// read statements. Every outcome must be a completed dialogue or one of the
// reader's own failures, and must pass the checks of answers.cc; anything
// else (a crash, a hang, a sanitizer finding, a broken check) is a finding.
//
// Built as a libFuzzer target (clang, -fsanitize=fuzzer) and, without
// libFuzzer, into the corpus replay test, which calls the same entry.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  answers::Outcome outcome = answers::run_dialogue(data, size);
  std::string broken = answers::check_outcome(data, size, outcome);
  if (!broken.empty()) {
    std::fprintf(stderr, "fuzz_answers: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
