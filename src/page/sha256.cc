// sha256.cc: SHA-256 as FIPS 180-4 defines it (see sha256.h).
#include "sha256.h"

#include <cassert>
#include <cstring>

namespace page {
namespace {

// The first 32 bits of the fractional parts of the cube roots of the
// first 64 primes (FIPS 180-4, 4.2.2).
constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

// The first 32 bits of the fractional parts of the square roots of the
// first 8 primes (FIPS 180-4, 5.3.3).
constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

std::uint32_t rotate_right(std::uint32_t word, int count) {
  return (word >> count) | (word << (32 - count));
}

}  // namespace

Sha256::Sha256() { std::memcpy(state_, kInitial, sizeof state_); }

void Sha256::compress(const unsigned char* block) {
  std::uint32_t schedule[64];
  for (int t = 0; t < 16; ++t) {
    schedule[t] = std::uint32_t{block[4 * t]} << 24 | std::uint32_t{block[4 * t + 1]} << 16 |
                  std::uint32_t{block[4 * t + 2]} << 8 | std::uint32_t{block[4 * t + 3]};
  }
  for (int t = 16; t < 64; ++t) {
    const std::uint32_t w15 = schedule[t - 15];
    const std::uint32_t w2 = schedule[t - 2];
    const std::uint32_t sigma0 = rotate_right(w15, 7) ^ rotate_right(w15, 18) ^ (w15 >> 3);
    const std::uint32_t sigma1 = rotate_right(w2, 17) ^ rotate_right(w2, 19) ^ (w2 >> 10);
    schedule[t] = sigma1 + schedule[t - 7] + sigma0 + schedule[t - 16];
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (int t = 0; t < 64; ++t) {
    const std::uint32_t sum1 = rotate_right(e, 6) ^ rotate_right(e, 11) ^ rotate_right(e, 25);
    const std::uint32_t choose = (e & f) ^ (~e & g);
    const std::uint32_t temp1 = h + sum1 + choose + kRound[t] + schedule[t];
    const std::uint32_t sum0 = rotate_right(a, 2) ^ rotate_right(a, 13) ^ rotate_right(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t temp2 = sum0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + temp1;
    d = c;
    c = b;
    b = a;
    a = temp1 + temp2;
  }
  state_[0] += a; state_[1] += b; state_[2] += c; state_[3] += d;
  state_[4] += e; state_[5] += f; state_[6] += g; state_[7] += h;
}

void Sha256::add(std::string_view bytes) {
  assert(!finished_);
  length_ += bytes.size();
  for (const char byte : bytes) {
    block_[used_++] = static_cast<unsigned char>(byte);
    if (used_ == sizeof block_) {
      compress(block_);
      used_ = 0;
    }
  }
}

std::string Sha256::hex_digest() {
  assert(!finished_);
  // Padding (FIPS 180-4, 5.1.1): a one bit, zeros, the length in bits as
  // a 64-bit big-endian number, to a whole number of blocks.
  const std::uint64_t bits = length_ * 8;
  block_[used_++] = 0x80;
  if (used_ > 56) {
    std::memset(block_ + used_, 0, sizeof block_ - used_);
    compress(block_);
    used_ = 0;
  }
  std::memset(block_ + used_, 0, 56 - used_);
  for (int i = 0; i < 8; ++i) block_[56 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  compress(block_);
  finished_ = true;
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint32_t word : state_) {
    for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(word >> shift) & 0xF];
  }
  return hex;
}

std::string sha256_hex(std::string_view bytes) {
  Sha256 digest;
  digest.add(bytes);
  return digest.hex_digest();
}

}  // namespace page
