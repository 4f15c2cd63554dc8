// The page library's own arithmetic: SHA-256 against its published
// vectors and against sha256sum, and the ticks of the drawings for any
// finite range.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "canvas.h"
#include "provenance.h"
#include "sha256.h"

namespace {

TEST(Sha256, PublishedVectors) {
  const struct {
    std::string message;
    const char* digest;
  } kRows[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      // 448 bits: the padding's length field needs a second block.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(page::sha256_hex(row.message), row.digest) << row.message.size() << " bytes";
  }
}

// Every length around the block and padding boundaries, added in uneven
// pieces, against sha256sum run as its own process on the same bytes.
TEST(Sha256, AgreesWithSha256sumAcrossBlockBoundaries) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("page-sha-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string list;
  std::string expected;
  for (std::size_t length = 0; length <= 130; ++length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>((i * 37 + length) & 0xFF);
    const std::string name = (dir / std::to_string(length)).string();
    std::ofstream(name, std::ios::binary) << bytes;
    list += " '" + name + "'";
    page::Sha256 digest;
    for (std::size_t at = 0; at < length; at += 7) digest.add(std::string_view(bytes).substr(at, 7));
    const std::string hex = digest.hex_digest();
    EXPECT_EQ(page::file_facts(name).sha256, hex);
    EXPECT_EQ(page::file_facts(name).size, length);
    expected += hex + "  " + name + "\n";
  }
  const std::string command = "sha256sum" + list;
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string printed;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) printed.append(buffer, got);
  EXPECT_EQ(::pclose(pipe), 0) << "sha256sum (coreutils) is needed";
  EXPECT_EQ(printed, expected);
  std::filesystem::remove_all(dir);
}

// Ticks end, stay few and finite, and lie in the range, whatever finite
// range they are asked for.
TEST(Ticks, AnyFiniteRange) {
  const struct {
    double low, high;
    const char* reason;
  } kRows[] = {
      {0.0, 163.83, "a record's time axis"},
      {-40.0, 40.0, "a symmetric acceleration axis"},
      {1152921504606846976.0, 1152921504606847139.83, "times from 2^60 s: the step is below "
                                                      "the spacing of the numbers"},
      {-1.7e308, 1.7e308, "the difference overflows a double"},
      {-1e154, 1e154, "accelerations of 1e154 gal"},
      {1e-310, 3e-310, "subnormal numbers"},
      {5.0, 5.0, "an empty range: one tick"},
  };
  for (const auto& row : kRows) {
    const std::vector<page::Tick> ticks = page::linear_ticks(row.low, row.high, 10);
    EXPECT_GE(ticks.size(), 1u) << row.reason;
    EXPECT_LE(ticks.size(), 42u) << row.reason;
    for (const page::Tick& tick : ticks) {
      EXPECT_TRUE(std::isfinite(tick.value)) << row.reason;
      EXPECT_GE(tick.value, row.low - 1e-9 * std::fabs(row.low)) << row.reason;
      EXPECT_LE(tick.value, row.high + 1e-9 * std::fabs(row.high)) << row.reason;
    }
    const page::Axis axis{row.low, row.high > row.low ? row.high : row.low + 1.0, false, 90, 870};
    EXPECT_TRUE(std::isfinite(axis.map(row.high))) << row.reason;
  }
  EXPECT_EQ(page::log_ticks(0.1, 50).size(), 3u * 9u - 4u);  // 0.1 ... 0.9, 1 ... 9, 10 ... 50
  EXPECT_LE(page::log_ticks(1e-300, 1e300).size(), 9u * 41u);  // at most 40 decades
}

}  // namespace
