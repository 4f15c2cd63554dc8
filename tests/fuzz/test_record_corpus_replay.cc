// test_record_corpus_replay.cc: every file of the record fuzz corpus (the
// extreme numbers and line ends among them) read as the fuzz target reads
// it, with the ordinary build; each must keep the reader's promises.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fuzzrecord {
std::string check_bytes(const std::uint8_t* data, std::size_t size);
}

TEST(RecordFuzzCorpus, EveryFileKeepsTheReadersPromises) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RECORD_CORPUS_DIR)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(fuzzrecord::check_bytes(bytes.data(), bytes.size()), "") << entry.path().filename();
    ++files;
  }
  EXPECT_GE(files, 10);
}
