// test_corpus_replay.cc: every answer file of the fuzz corpus, replayed
// through the dialogue's read statements with the ordinary build. Each must
// end as a completed dialogue or with one of the reader's own report lines
// and pass the fuzz target's checks; together the files must still reach
// every failure the reader can report from ordinary bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "answers.h"

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

std::vector<Input> corpus() {
  std::vector<Input> inputs;
  for (const fs::directory_entry& entry : fs::directory_iterator(FUZZ_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    Input input{entry.path().filename().string(),
                std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})};
    inputs.push_back(std::move(input));
  }
  std::sort(inputs.begin(), inputs.end(),
            [](const Input& a, const Input& b) { return a.name < b.name; });
  return inputs;
}

TEST(FuzzCorpus, EveryFileEndsCompletedOrWithAReaderReport) {
  std::map<std::string, int> endings;  // first report line, or "completed"
  for (const Input& input : corpus()) {
    const std::uint8_t* data = input.bytes.data();
    answers::Outcome outcome = answers::run_dialogue(data, input.bytes.size());
    std::string line = outcome.fatal ? answers::first_line(outcome) : "completed";
    if (outcome.fatal) {
      EXPECT_TRUE(answers::is_reader_first_line(line)) << input.name << ": " << line;
    }
    EXPECT_EQ(answers::check_outcome(data, input.bytes.size(), outcome), "") << input.name;
    ++endings[line];
  }
  // The corpus stays a useful start for the fuzzer only while it reaches
  // each of these; a merge that dropped one of them lost ground.
  for (const char* wanted : {"completed", "list in: end of file", "read start: end of file",
                             "invalid number: incomprehensible list input",
                             "bad repetition count: incomprehensible list input",
                             "exponent field: incomprehensible list input",
                             "invalid integer: read unexpected character"}) {
    EXPECT_GT(endings[wanted], 0) << "no corpus file ends with: " << wanted;
  }
}

}  // namespace
