// PrimeBlock: kPrimes consecutive primes (from 7 on) coded in one 64-byte
// cache line, so that any of them is read with one memory access.
//
// A prime is named by its position in the bitmap of the numbers coprime to 30
// (PrimeSieve's layout): position c stands for 30 (c / 8) + kWheel[c % 8];
// every position lies below 2^31. The block holds its first prime's position
// c0 in bits 0..30 and, for the others (k = 1 .. kPrimes-1), the offset
// d = ck - c0 in Elias-Fano form: its low 2 bits at bit 32 + 2(k-1), and its
// high part d / 4 in unary, as set bit k-1 of the upper field (bits
// kUpperStart..511) at bit (d / 4) + (k-1) of it. A block whose offsets do
// not fit (a long stretch without primes) is kept elsewhere: bit 31 set, and
// bits 0..30 name its slot there (PrimeTable's overflow area).
//
// A plain value; what it holds is set by Encode or SetOverflow.
#ifndef TALLYRA_LISTS_PRIMEBLOCK_H_
#define TALLYRA_LISTS_PRIMEBLOCK_H_

#include <cstdint>

#include "lists/PrimeSieve.h"

namespace tallyra {

class alignas(64) PrimeBlock {
 public:
  static constexpr uint32_t kPrimes = 96;
  static constexpr uint32_t kUpperStart = 32 + 2 * (kPrimes - 1);
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
  // an overflow; without branches on the bits, past r == 0.
  uint32_t PositionAt(uint32_t r) const;
  // Writes the numbers of every prime coded to out (room for kPrimes) and
  // answers how many.
  uint32_t Decode(uint32_t* out) const;

 private:
  static constexpr uint32_t kOverflowBit = 0x80000000u;
  uint32_t First() const { return static_cast<uint32_t>(words_[0]) & ~kOverflowBit; }
  uint32_t Low(uint32_t k) const {
    const uint32_t bit = 32 + 2 * k;
    return static_cast<uint32_t>(words_[bit / 64] >> (bit % 64)) & 3;
  }

  uint64_t words_[8];
};

static_assert(sizeof(PrimeBlock) == 64, "a block is one cache line");
static_assert(PrimeBlock::kPositions < (1u << 31), "positions fit 31 bits");

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMEBLOCK_H_
