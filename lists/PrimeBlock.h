// PrimeBlock: kPrimes consecutive primes (from 7 on) coded in one 64-byte
// cache line, so that any of them is read with one memory access and a few
// dozen instructions that do not branch on the bits they select among.
//
// A prime is named by its position in the bitmap of the numbers coprime to 30
// (PrimeSieve's layout): position c stands for 30 (c / 8) + kWheel[c % 8];
// every position lies below 2^31. A block names its primes (k = 0 ..
// kPrimes-1) by their offsets d = ck - 8 q from the multiple of 8 below the
// first, 8 q, so that prime k is 30 (q + d / 8) + kWheel[d % 8]:
//   words 0..2      the upper field, the high parts d / 8 in unary, grouped:
//                   word w holds the primes 30w .. 30w+29, prime k at bit
//                   (d / 8 - H) + (k - 30w), H the high part of the word's
//                   first prime; so that the word and the rank in it follow
//                   from k alone;
//   words 3..6      the low 3 bits of the offsets 0..83, 21 a word, offset k
//                   at bit 3 (k mod 21) of word 3 + k / 21;
//   word 7          bits 0..15: two bytes, H of words 1 and 2; bits 16..33:
//                   the low parts of the offsets 84..89; bits 36..63: q.
// A block whose group does not fit its word (701 below 2^32, where
// 30 primes spread over more than some 280 positions) is coded in the whole
// field instead: prime k at bit (d / 8) + k of the 192, the two bytes then
// the set bits before words 1 and 2 (hints), bit 15 marking it. The primes of
// every block below 2^32 fit one of the two (in the whole field the widest
// reaches bit 184): Encode refuses only primes spread wider than that.
//
// How a block is read (a prime's number, every prime's number) comes in two
// forms with the same results (Reader): a portable one, without a
// population-count instruction, and on x86 processors that have them one that
// uses POPCNT, BMI2 and AVX2. BestReader() picks one for the processor, once.
//
// A plain value; what it holds is set by Encode.
#ifndef TALLYRA_LISTS_PRIMEBLOCK_H_
#define TALLYRA_LISTS_PRIMEBLOCK_H_

#include <cstdint>

#include "lists/PrimeSieve.h"

namespace tallyra {

class alignas(64) PrimeBlock {
 public:
  static constexpr uint32_t kPrimes = 90;
  static constexpr uint32_t kUpperBits = 192;
  static constexpr uint32_t kGroupPrimes = 30;    // a word of the upper field, grouped
  static constexpr uint32_t kLowsAWord = 21;      // in words 3..6
  static constexpr uint32_t kLastLowsStart = 16;  // of word 7: the low parts 84..89
  static constexpr uint32_t kFirstShift = 36;     // of word 7: q
  // The positions of the numbers below 2^32.
  static constexpr uint32_t kPositions = static_cast<uint32_t>(((uint64_t{1} << 32) + 29) / 30 * 8);

  // The number at a bitmap position.
  static uint32_t Number(uint32_t position) {
    return (position >> 3) * 30 + PrimeSieve::kWheel[position & 7];
  }

  // One way of reading blocks: the number of prime r (below the count coded),
  // and the numbers of every prime coded written to out (room for kPrimes),
  // answering how many.
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

  // The bit of the block that prime k's low part begins at.
  static constexpr uint32_t LowBit(uint32_t k) {
    return k < 4 * kLowsAWord ? 64 * (kUpperBits / 64 + k / kLowsAWord) + 3 * (k % kLowsAWord)
                              : 448 + kLastLowsStart + 3 * (k - 4 * kLowsAWord);
  }

  // Codes count (1 .. kPrimes) increasing positions; false when they are
  // spread too wide for the upper field (the block then holds nothing usable).
  bool Encode(const uint32_t* positions, uint32_t count);

 private:
  static constexpr uint32_t kLowWord = kUpperBits / 64;  // the first word of low parts
  static constexpr uint64_t kWholeField = 0x8000;        // in word 7: coded in the whole field
  static_assert(kLowWord * kGroupPrimes == kPrimes, "a group a word");
  static_assert(kLowWord == 3 && (kPrimes - 4 * kLowsAWord) * 3 + kLastLowsStart <= kFirstShift,
                "the upper field spans words 0..2, the low parts words 3..6 and 7");
  static_assert(kPositions / 8 < (1u << (64 - kFirstShift)), "q fits word 7");

  // The portable reads (PrimeBlock.cpp) and the x86 ones.
  static uint32_t NumberAtPortable(const PrimeBlock& block, uint32_t r);
  static uint32_t DecodePortable(const PrimeBlock& block, uint32_t* out);
  static uint32_t NumberAtX86(const PrimeBlock& block, uint32_t r);
  static uint32_t DecodeX86(const PrimeBlock& block, uint32_t* out);

  uint32_t Low(uint32_t k) const;
  // Reads of a block coded in the whole field, selecting with `select`.
  template <typename Select>
  static uint32_t NumberInWholeField(const PrimeBlock& block, uint32_t k, Select select);
  // The high part of the first prime of upper word `word`, grouped.
  uint32_t GroupHigh(uint32_t word) const;
  // Writes each prime's high part to highs (room for kPrimes + 8, rounded up
  // to 16); answers the count of primes.
  uint32_t DecodeHighParts(uint8_t* highs) const;
  static uint32_t FirstQuotient(uint64_t last) {
    return static_cast<uint32_t>(last >> kFirstShift);
  }

  uint64_t words_[8];
};

static_assert(sizeof(PrimeBlock) == 64, "a block is one cache line");
static_assert(PrimeBlock::kPrimes < 128, "a hint and a place below it fit a byte's low 7 bits");

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMEBLOCK_H_
