// Counting and selecting the set bits of a 64-bit word without a
// population-count instruction (the baseline processors of the 32-bit module
// have none, nor does the x86-64 baseline) and without branches on the bits,
// the same on both builds: bytes are counted in parallel, their running
// counts formed by one multiplication, and the bit within a byte found by
// table. The prime blocks' portable reader selects with it; where the
// processor has BMI2 they select with pdep instead (PrimeBlock).
#ifndef TALLYRA_LISTS_WORDSELECT_H_
#define TALLYRA_LISTS_WORDSELECT_H_

#include <cstdint>

namespace tallyra {
namespace word_select {

constexpr uint64_t kOnes8 = 0x0101010101010101ull;
constexpr uint64_t kHigh8 = 0x8080808080808080ull;

// kInByte.bit[b][r]: the bit of b's set bit r (r below the count of b's set bits).
struct InByteTable {
  uint8_t bit[256][8] = {};
  constexpr InByteTable() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t n = 0;
      for (uint32_t i = 0; i < 8; ++i) {
        if (b & (1u << i)) bit[b][n++] = static_cast<uint8_t>(i);
      }
    }
  }
};
inline constexpr InByteTable kInByte;

// Each byte of x replaced by the count of its set bits.
inline uint64_t ByteCounts(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  return (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
}

// The count of x's set bits.
inline uint32_t BitCount(uint64_t x) {
  return static_cast<uint32_t>((ByteCounts(x) * kOnes8) >> 56);
}

// The bit of x's set bit r (x has more than r set bits).
inline uint32_t SelectBit(uint64_t x, uint32_t r) {
  const uint64_t running = ByteCounts(x) * kOnes8;  // byte i: set bits in bytes 0..i
  // The high bit of each byte whose running count is at most r (no borrow
  // crosses a byte: counts are at most 64, r below 64); those bytes come
  // first, and their number is the byte that holds the bit.
  const uint64_t at_most = (((r * kOnes8) | kHigh8) - running) & kHigh8;
  const auto byte = static_cast<uint32_t>(((at_most >> 7) * kOnes8) >> 56);
  const auto before = static_cast<uint32_t>(((running << 8) >> (8 * byte)) & 0xFF);
  return 8 * byte + kInByte.bit[(x >> (8 * byte)) & 0xFF][r - before];
}

}  // namespace word_select
}  // namespace tallyra

#endif  // TALLYRA_LISTS_WORDSELECT_H_
