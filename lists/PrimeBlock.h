// PrimeBlock: kPrimes consecutive primes (from 7 on) coded in one 64-byte
// cache line, so that any of them is read with one memory access and a few
// dozen instructions that do not branch on the bits they select among.
//
// A prime is named by its position in the bitmap of the numbers coprime to 30
// (PrimeSieve's layout): position c stands for 30 (c / 8) + kWheel[c % 8];
// every position lies below 2^31. The block holds, for the primes after the
// first (k = 1 .. kPrimes-1), the offset d = ck - c0 from the first's c0:
//   bits 0..269   the upper field: the high parts d / 4 in unary, set bit
//                 k-1 of the field at bit (d / 4) + (k-1) of it;
//   bits 270..447 the low 2 bits of each offset, at bit 270 + 2(k-1);
//   bits 448..479 four 8-bit hints: the set bits of the upper field before
//                 each of the block's words 1..4;
//   bits 480..510 the first prime's position c0 (bit 511 clear).
// The upper field begins the block, so that its words are read as they are;
// the hints and c0 share the last word, so that one load gives both.
// A block whose offsets do not fit (a long stretch with few primes) is kept
// elsewhere: bit 511 set, and bits 480..510 name its slot there (PrimeTable's
// overflow area).
//
// How a block is read (a prime's position, every prime's number) comes in two
// forms with the same results (Reader): a portable one, without a
// population-count instruction, and on x86 processors that have them one that
// uses POPCNT, BMI2 and AVX2. BestReader() picks one for the processor, once.
//
// A plain value; what it holds is set by Encode or SetOverflow.
#ifndef TALLYRA_LISTS_PRIMEBLOCK_H_
#define TALLYRA_LISTS_PRIMEBLOCK_H_

#include <cstdint>

#include "lists/PrimeSieve.h"

namespace tallyra {

class alignas(64) PrimeBlock {
 public:
  static constexpr uint32_t kPrimes = 90;
  static constexpr uint32_t kUpperBits = 270;
  static constexpr uint32_t kLowStart = kUpperBits;  // even: no low part spans two words
  static constexpr uint32_t kHintStart = kLowStart + 2 * (kPrimes - 1);
  static constexpr uint32_t kFirstStart = kHintStart + 32;
  // The largest high part (offset / 4) coded: full blocks stay well below
  // it; a decoded high part then fits a byte with room for 7 more.
  static constexpr uint32_t kHighMost = 248;
  // The positions of the numbers below 2^32.
  static constexpr uint32_t kPositions = static_cast<uint32_t>(((uint64_t{1} << 32) + 29) / 30 * 8);

  // The number at a bitmap position.
  static uint32_t Number(uint32_t position) {
    return (position >> 3) * 30 + PrimeSieve::kWheel[position & 7];
  }

  // One way of reading blocks that are not overflows: the number of prime r
  // (below the count coded), and the numbers of every prime coded written to
  // out (room for kPrimes), answering how many.
  struct Reader {
    uint32_t (*number_at)(const PrimeBlock& block, uint32_t r);
    uint32_t (*decode)(const PrimeBlock& block, uint32_t* out);
  };
  // Without a population-count instruction (the 32-bit module's baseline).
  static Reader PortableReader();
  // With POPCNT, BMI2 and AVX2; null functions where this build or the
  // processor lacks them, or where BMI2 is slow (AMD before Zen 3).
  static Reader FastReader();
  // The fast reader where there is one, else the portable one; chosen once.
  static Reader BestReader();

  // Codes count (1 .. kPrimes) increasing positions; false when their
  // offsets do not fit (the block then holds nothing usable).
  bool Encode(const uint32_t* positions, uint32_t count);
  // Marks the block as kept in slot `slot` of an overflow area.
  void SetOverflow(uint32_t slot) {
    for (uint64_t& w : words_) w = 0;
    words_[7] = uint64_t{slot | kOverflowBit} << 32;
  }
  bool overflow() const { return (words_[7] >> 63) != 0; }
  uint32_t overflow_slot() const { return First(); }

 private:
  static constexpr uint32_t kOverflowBit = 0x80000000u;
  static constexpr uint32_t kLastUpperWord = (kUpperBits - 1) / 64;
  static_assert(kLastUpperWord == 4 && kHintStart == 448 && kFirstStart == 480,
                "the upper field spans words 0..4, hints and c0 fill word 7");

  // The portable reads (PrimeBlock.cpp) and the x86 ones (PrimeBlockX86.cpp).
  static uint32_t NumberAtPortable(const PrimeBlock& block, uint32_t r);
  static uint32_t DecodePortable(const PrimeBlock& block, uint32_t* out);
  static uint32_t NumberAtX86(const PrimeBlock& block, uint32_t r);
  static uint32_t DecodeX86(const PrimeBlock& block, uint32_t* out);

  uint32_t First() const { return static_cast<uint32_t>(words_[7] >> 32) & ~kOverflowBit; }
  // The same, of a block that is not an overflow.
  uint32_t FirstOfCoded() const { return static_cast<uint32_t>(words_[7] >> 32); }
  uint32_t Hints() const { return static_cast<uint32_t>(words_[7]); }
  uint32_t Low(uint32_t k) const {
    const uint32_t bit = kLowStart + 2 * k;
    return static_cast<uint32_t>(words_[bit / 64] >> (bit % 64)) & 3;
  }
  // Which word of the upper field holds its set bit k: the hints at most k,
  // four bytes compared at once, each such byte's high bit set (their count
  // is the word). Then the set bits before that word.
  static uint32_t HintsAtMost(uint32_t hints, uint32_t k) {
    return (((k * 0x01010101u) | 0x80808080u) - hints) & 0x80808080u;
  }
  static uint32_t Before(uint32_t hints, uint32_t word) {
    return static_cast<uint32_t>((uint64_t{hints} << 8) >> (8 * word)) & 0xFF;
  }

  uint64_t words_[8];
};

static_assert(sizeof(PrimeBlock) == 64, "a block is one cache line");
static_assert(PrimeBlock::kPositions < (1u << 31), "positions fit 31 bits");
static_assert(PrimeBlock::kPrimes < 128, "a hint and a count below it fit a byte's low 7 bits");

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMEBLOCK_H_
