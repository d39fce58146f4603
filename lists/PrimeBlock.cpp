#include "lists/PrimeBlock.h"

#include <algorithm>

namespace tallyra {

bool PrimeBlock::Encode(const uint32_t* positions, uint32_t count) {
  const uint32_t first = positions[0];
  const uint32_t n = count - 1;  // offsets coded
  if (n != 0 && kUpperStart + ((positions[n] - first) >> 2) + (n - 1) >= 512) return false;
  // Each word is filled in a register and stored once, so that coding keeps
  // up with the sieve: the low parts (32 a word, from kLowStart), then the
  // upper field's bits (their places only grow).
  uint64_t words[8] = {};
  for (uint32_t k = 0; k < n;) {
    const uint32_t bit = kLowStart + 2 * k;
    const uint32_t end = std::min(n, k + (64 - bit % 64) / 2);
    uint64_t low = 0;
    for (uint32_t i = k; i < end; ++i)
      low |= uint64_t{(positions[i + 1] - first) & 3} << (2 * (i - k));
    words[bit / 64] |= low << (bit % 64);
    k = end;
  }
  // The word being filled is stored after every bit (a plain store, no load
  // after it), so that moving on to the next word needs no branch.
  uint64_t upper_words[8] = {};
  uint64_t upper = 0;
  uint32_t upper_word = kUpperWord;
  for (uint32_t k = 0; k < n; ++k) {
    const uint32_t bit = kUpperStart + ((positions[k + 1] - first) >> 2) + k;
    upper &= uint64_t{0} - uint64_t{bit / 64 == upper_word};  // kept within a word
    upper_word = bit / 64;
    upper |= uint64_t{1} << (bit % 64);
    upper_words[upper_word] = upper;
  }
  for (uint32_t w = kUpperWord; w < 8; ++w) words[w] |= upper_words[w];
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
