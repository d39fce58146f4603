// PrimeBlock: kPrimes consecutive primes (from 7 on) coded in one 64-byte
// cache line, so that any of them is read with one memory access and a few
// dozen instructions that do not branch on the bits they select among.
//
// A prime is named by its position in the bitmap of the numbers coprime to 30
// (PrimeSieve's layout): position c stands for 30 (c / 8) + kWheel[c % 8];
// every position lies below 2^31. The block holds:
//   bits 0..30    the first prime's position c0 (bit 31 clear);
//   bits 32..59   four 7-bit hints: the set bits of the upper field before
//                 each of the block's words 4..7;
//   bits 60..237  for the others (k = 1 .. kPrimes-1) the low 2 bits of the
//                 offset d = ck - c0, at bit 60 + 2(k-1);
//   bits 238..511 the upper field: the high parts d / 4 in unary, set bit
//                 k-1 of the field at bit (d / 4) + (k-1) of it.
// A block whose offsets do not fit (a long stretch with few primes) is kept
// elsewhere: bit 31 set, and bits 0..30 name its slot there (PrimeTable's
// overflow area).
//
// A plain value; what it holds is set by Encode or SetOverflow.
#ifndef TALLYRA_LISTS_PRIMEBLOCK_H_
#define TALLYRA_LISTS_PRIMEBLOCK_H_

#include <cstdint>

#include "lists/PrimeSieve.h"
#include "lists/WordSelect.h"

namespace tallyra {

class alignas(64) PrimeBlock {
 public:
  static constexpr uint32_t kPrimes = 90;
  static constexpr uint32_t kHintBits = 7;
  static constexpr uint32_t kLowStart = 32 + 4 * kHintBits;  // even: no low part spans two words
  static constexpr uint32_t kUpperStart = kLowStart + 2 * (kPrimes - 1);
  static constexpr uint32_t kUpperBits = 512 - kUpperStart;
  // The largest high part (offset / 4) coded: full blocks stay well below
  // it; a decoded high part then fits a byte with room for 7 more.
  static constexpr uint32_t kHighMost = 248;
  // The positions of the numbers below 2^32.
  static constexpr uint32_t kPositions = static_cast<uint32_t>(((uint64_t{1} << 32) + 29) / 30 * 8);

  // The number at a bitmap position.
  static uint32_t Number(uint32_t position) {
    return (position >> 3) * 30 + PrimeSieve::kWheel[position & 7];
  }

  // Codes count (1 .. kPrimes) increasing positions; false when their
  // offsets do not fit (the block then holds nothing usable).
  bool Encode(const uint32_t* positions, uint32_t count);
  // Marks the block as kept in slot `slot` of an overflow area.
  void SetOverflow(uint32_t slot) {
    for (uint64_t& w : words_) w = 0;
    words_[0] = slot | kOverflowBit;
  }
  bool overflow() const { return (words_[0] & kOverflowBit) != 0; }
  uint32_t overflow_slot() const { return static_cast<uint32_t>(words_[0]) & ~kOverflowBit; }

  // The position of prime r (below the count coded) of a block that is not
  // an overflow.
  uint32_t PositionAt(uint32_t r) const {
    if (r == 0) return First();
    const uint32_t k = r - 1;  // its offset's place
    // The word of the upper field that holds set bit k (by the hints), and
    // the set bits before it.
    const uint64_t hints = (words_[0] >> 32) << kHintBits;  // hint i at 7(i + 1), 0 below
    uint32_t word = 0;
    for (uint32_t i = 1; i <= 4; ++i) word += k >= ((hints >> (kHintBits * i)) & 0x7F);
    const auto before = static_cast<uint32_t>((hints >> (kHintBits * word)) & 0x7F);
    // The field's first word holds it from bit kUpperShift on.
    const uint32_t shift = kUpperShift * (word == 0);
    const uint32_t bit = word_select::SelectBit(words_[kUpperWord + word] >> shift, k - before);
    const uint32_t high = 64 * word - kUpperShift + shift + bit - k;
    return First() + 4 * high + Low(k);
  }
  // Writes the numbers of every prime coded to out (room for kPrimes) and
  // answers how many.
  uint32_t Decode(uint32_t* out) const;

 private:
  static constexpr uint32_t kOverflowBit = 0x80000000u;
  static constexpr uint32_t kUpperWord = kUpperStart / 64;  // the upper field's first word
  static constexpr uint32_t kUpperShift = kUpperStart % 64;
  static_assert(kUpperWord == 3, "the upper field spans words 3..7, four hints");

  uint32_t First() const { return static_cast<uint32_t>(words_[0]) & ~kOverflowBit; }
  uint32_t Low(uint32_t k) const {
    const uint32_t bit = kLowStart + 2 * k;
    return static_cast<uint32_t>(words_[bit / 64] >> (bit % 64)) & 3;
  }

  uint64_t words_[8];
};

static_assert(sizeof(PrimeBlock) == 64, "a block is one cache line");
static_assert(PrimeBlock::kPositions < (1u << 31), "positions fit 31 bits");
static_assert(PrimeBlock::kPrimes < 128, "a hint fits 7 bits");

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMEBLOCK_H_
