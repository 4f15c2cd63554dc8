// sha256.h: the SHA-256 digest of FIPS 180-4, for naming an input file by
// its content in a report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace page {

// Accumulates bytes and gives their digest.
class Sha256 {
 public:
  Sha256();

  // Appends `bytes` to the message.
  void add(std::string_view bytes);

  // The digest of everything added, as 64 lower-case hexadecimal digits.
  // Ends the message: call once, after the last add().
  std::string hex_digest();

 private:
  void compress(const unsigned char* block);

  std::uint32_t state_[8];
  unsigned char block_[64];
  std::size_t used_ = 0;          // bytes waiting in block_
  std::uint64_t length_ = 0;      // message length in bytes
  bool finished_ = false;
};

// The digest of `bytes`, as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view bytes);

}  // namespace page
