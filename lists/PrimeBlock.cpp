#include "lists/PrimeBlock.h"

#include <algorithm>
#include <cstring>

namespace tallyra {

bool PrimeBlock::Encode(const uint32_t* positions, uint32_t count) {
  const uint32_t first = positions[0];
  const uint32_t n = count - 1;  // offsets coded
  if (n != 0 && (kUpperStart + ((positions[n] - first) >> 2) + (n - 1) >= 512 ||
                 ((positions[n] - first) >> 2) > kHighMost)) {
    return false;
  }
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

namespace {

// Tables for decoding a block: number[x], the number at position x counted
// from a multiple of 8 (30 for each 8 positions on); lows[v], the four 2-bit
// parts of the byte v, one a byte; for a byte v of the upper field, count[v]
// its set bits and highs[v] in byte j, for its set bit j at bit t, t - j.
struct DecodeTables {
  // The first position mod 8 and any offset that a block holds.
  static constexpr uint32_t kSpanPositions = 8 + 4 * (PrimeBlock::kHighMost + 1);
  uint16_t number[kSpanPositions] = {};
  uint32_t lows[256] = {};
  uint64_t highs[256] = {};
  uint8_t count[256] = {};
  constexpr DecodeTables() {
    for (uint32_t x = 0; x < kSpanPositions; ++x) {
      number[x] = static_cast<uint16_t>((x >> 3) * 30 + PrimeSieve::kWheel[x & 7]);
    }
    for (uint32_t v = 0; v < 256; ++v) {
      for (uint32_t i = 0; i < 4; ++i) lows[v] |= ((v >> (2 * i)) & 3) << (8 * i);
      uint32_t j = 0;
      for (uint32_t t = 0; t < 8; ++t) {
        if ((v & (1u << t)) == 0) continue;
        highs[v] |= uint64_t{t - j} << (8 * j);
        ++j;
      }
      count[v] = static_cast<uint8_t>(j);
    }
  }
};
constexpr DecodeTables kDecode;

}  // namespace

uint32_t PrimeBlock::Decode(uint32_t* out) const {
  const uint32_t first = First();
  // Numbers are counted from the multiple of 8 below the first position.
  const uint32_t base = (first >> 3) * 30;
  const uint32_t from = first & 7;
  out[0] = base + kDecode.number[from];
  // The low parts, one a byte, four at a time: the field's byte g begins at
  // bit kLowStart + 8g, half-way into a byte of the block.
  static_assert(kLowStart % 8 == 4, "the low field begins half-way into a byte");
  // Room for every offset, rounded up to 16 so that the places below are
  // formed 16 at a time.
  constexpr uint32_t kRoom = (kPrimes + 15) / 16 * 16;
  uint8_t lows[kRoom];
  const auto* bytes = reinterpret_cast<const unsigned char*>(words_);
  for (uint32_t g = 0; g < kRoom / 4; ++g) {
    const uint32_t at = kLowStart / 8 + g;
    const uint32_t v = ((bytes[at] | uint32_t{bytes[at + 1]} << 8) >> 4) & 0xFF;
    std::memcpy(lows + 4 * g, &kDecode.lows[v], 4);
  }
  // The high parts, a byte of the upper field at a time without branches on
  // its bits: offset k at bit t has the high part t - k, which is the zeros
  // before the byte plus its own t - j within it (at most kHighMost, so that
  // the eight bytes added at once never carry).
  uint8_t highs[kRoom + 8] = {};  // past the offsets: never used
  uint32_t k = 0;
  uint64_t zeros = 0;  // in each byte
  for (uint32_t w = 0; w < 5; ++w) {
    const uint64_t field = (words_[kUpperWord + w] >> kUpperShift) |
                           (w < 4 ? words_[kUpperWord + w + 1] << (64 - kUpperShift) : 0);
    const uint32_t field_bytes = w < 4 ? 8 : (kUpperBits - 256 + 7) / 8;
    for (uint32_t g = 0; g < field_bytes; ++g) {
      const auto v = static_cast<uint32_t>(field >> (8 * g)) & 0xFF;
      const uint64_t h = kDecode.highs[v] + zeros;
      std::memcpy(highs + k, &h, 8);
      k += kDecode.count[v];
      zeros += (8 - kDecode.count[v]) * word_select::kOnes8;
    }
  }
  // Each offset's place in the table of numbers, then its number.
  uint16_t places[kRoom];
  for (uint32_t i = 0; i < kRoom; ++i) {
    places[i] = static_cast<uint16_t>(from + 4 * highs[i] + lows[i]);
  }
  for (uint32_t i = 0; i < k; ++i) out[i + 1] = base + kDecode.number[places[i]];
  return k + 1;
}

}  // namespace tallyra
