#include "lists/PrimeBlock.h"

namespace tallyra {

bool PrimeBlock::Encode(const uint32_t* positions, uint32_t count) {
  // Both fields are filled from left to right in registers, each word stored
  // once it is full, so that coding keeps up with the sieve.
  uint64_t words[8] = {};
  const uint32_t first = positions[0];
  uint64_t low = 0;  // the low parts' word being filled
  uint32_t low_word = kLowStart / 64, low_bit = kLowStart % 64;
  uint64_t upper = 0;  // the upper field's word being filled
  uint32_t upper_word = kUpperWord;
  for (uint32_t k = 0; k + 1 < count; ++k) {
    const uint32_t d = positions[k + 1] - first;
    low |= uint64_t{d & 3} << low_bit;
    low_bit += 2;
    if (low_bit == 64) {
      words[low_word++] |= low;
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
  uint64_t header = first;
  uint32_t before = word_select::BitCount(words[kUpperWord] >> kUpperShift);
  for (uint32_t i = 0; i < 4; ++i) {
    header |= uint64_t{before} << (32 + kHintBits * i);
    before += word_select::BitCount(words[kUpperWord + 1 + i]);
  }
  words_[0] = words[0] | header;
  for (uint32_t w = 1; w < 8; ++w) words_[w] = words[w];
  return true;
}

uint32_t PrimeBlock::Decode(uint32_t* out) const {
  const uint32_t first = First();
  out[0] = Number(first);
  uint32_t k = 0;
  for (uint32_t w = 0; w < 8 - kUpperWord; ++w) {
    uint64_t bits = w == 0 ? words_[kUpperWord] >> kUpperShift : words_[kUpperWord + w];
    const uint32_t base = 64 * w - kUpperShift * (w != 0);
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
