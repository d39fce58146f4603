#include "lists/PrimeBlock.h"

namespace tallyra {

namespace {

constexpr uint32_t kUpperWord = PrimeBlock::kUpperStart / 64;  // the upper field's first word
constexpr uint32_t kUpperShift = PrimeBlock::kUpperStart % 64;
constexpr uint32_t kUpperWords = 8 - kUpperWord;
constexpr uint32_t kUpperBits = 512 - PrimeBlock::kUpperStart;
constexpr uint64_t kOnes8 = 0x0101010101010101ull;
constexpr uint64_t kHigh8 = 0x8080808080808080ull;

// select[b][r]: the bit of b's set bit r (r below the count of b's set bits).
struct SelectTable {
  uint8_t select[256][8] = {};
  constexpr SelectTable() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t n = 0;
      for (uint32_t bit = 0; bit < 8; ++bit) {
        if (b & (1u << bit)) select[b][n++] = static_cast<uint8_t>(bit);
      }
    }
  }
};
constexpr SelectTable kSelect;

// Each byte of x replaced by the count of its set bits.
inline uint64_t ByteCounts(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  return (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
}

// The set bits of x, without a population-count instruction (the baseline of
// the 32-bit module has none) and without a library call.
inline uint32_t BitCount(uint64_t x) {
  return static_cast<uint32_t>((ByteCounts(x) * kOnes8) >> 56);
}

// The bit of set bit r of x (which has more than r), without branches: the
// bytes' running counts by one multiplication, the byte that holds it by a
// comparison of all eight at once, the bit within it by table.
inline uint32_t SelectInWord(uint64_t x, uint32_t r) {
  const uint64_t running = ByteCounts(x) * kOnes8;  // byte i: set bits in bytes 0..i
  // The high bit of each byte whose running count is at most r (no borrow
  // crosses a byte: counts are at most 64, r below 64).
  const uint64_t at_most = ((r * kOnes8) | kHigh8) - running;
  const auto byte = static_cast<uint32_t>((((at_most & kHigh8) >> 7) * kOnes8) >> 56);
  const auto before = static_cast<uint32_t>(((running << 8) >> (8 * byte)) & 0xFF);
  return 8 * byte + kSelect.select[(x >> (8 * byte)) & 0xFF][r - before];
}

}  // namespace

bool PrimeBlock::Encode(const uint32_t* positions, uint32_t count) {
  // Both fields are filled from left to right in registers, each word stored
  // once it is full (the tables are built at the speed of the sieve).
  uint64_t words[8] = {};
  const uint32_t first = positions[0];
  uint64_t low = first;  // the low parts' word being filled
  uint32_t low_word = 0, low_bit = 32;
  uint64_t upper = 0;  // the upper field's word being filled
  uint32_t upper_word = kUpperWord;
  for (uint32_t k = 0; k + 1 < count; ++k) {
    const uint32_t d = positions[k + 1] - first;
    low |= uint64_t{d & 3} << low_bit;
    low_bit += 2;
    if (low_bit == 64) {
      words[low_word++] = low;
      low = 0;
      low_bit = 0;
    }
    const uint32_t bit = kUpperStart + (d >> 2) + k;
    if (bit >= 512) return false;
    for (; bit / 64 != upper_word; ++upper_word) {
      words[upper_word] |= upper;
      upper = 0;
    }
    upper |= uint64_t{1} << (bit % 64);
  }
  words[low_word] |= low;
  words[upper_word] |= upper;
  for (uint32_t w = 0; w < 8; ++w) words_[w] = words[w];
  return true;
}

uint32_t PrimeBlock::PositionAt(uint32_t r) const {
  if (r == 0) return First();
  const uint32_t k = r - 1;  // its offset's place
  // The upper field's words, counted at once; the word of set bit k is the
  // number of running counts at most k.
  uint64_t piece[kUpperWords];
  piece[0] = words_[kUpperWord] >> kUpperShift;
  for (uint32_t w = 1; w < kUpperWords; ++w) piece[w] = words_[kUpperWord + w];
  uint32_t running[kUpperWords];
  uint32_t sum = 0, word = 0;
  for (uint32_t w = 0; w < kUpperWords; ++w) {
    running[w] = sum;
    sum += BitCount(piece[w]);
    word += (sum <= k);
  }
  const uint32_t bit = SelectInWord(piece[word], k - running[word]);
  // Bits of the upper field before the word's bit 0.
  const uint32_t base = word == 0 ? 0 : 64 * word - kUpperShift;
  return First() + (base + bit - k) * 4 + Low(k);
}

uint32_t PrimeBlock::Decode(uint32_t* out) const {
  const uint32_t first = First();
  out[0] = Number(first);
  uint32_t k = 0;
  for (uint32_t w = 0; w < kUpperWords; ++w) {
    uint64_t bits = w == 0 ? words_[kUpperWord] >> kUpperShift : words_[kUpperWord + w];
    const uint32_t base = w == 0 ? 0 : 64 * w - kUpperShift;
    while (bits != 0) {
      const uint32_t high = base + static_cast<uint32_t>(__builtin_ctzll(bits)) - k;
      out[k + 1] = Number(first + high * 4 + Low(k));
      bits &= bits - 1;
      ++k;
    }
  }
  return k + 1;
}

}  // namespace tallyra
