#include "lists/PrimeBlock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "lists/testing/ReferencePrimes.h"

namespace tallyra {

namespace {

// The bitmap position of a number coprime to 30.
uint32_t PositionOf(uint32_t n) {
  uint32_t k = 0;
  while (PrimeSieve::kWheel[k] != n % 30) ++k;
  return n / 30 * 8 + k;
}

// Codes the primes from 7 on among `primes`, from element `from`, up to count
// of them; expects every one read back, at its place and by decoding.
void ExpectRoundTrip(const std::vector<uint32_t>& primes, size_t from, uint32_t count) {
  std::vector<uint32_t> positions;
  for (size_t i = from; i < primes.size() && positions.size() < count; ++i) {
    if (primes[i] >= 7) positions.push_back(PositionOf(primes[i]));
  }
  ASSERT_EQ(positions.size(), count);
  PrimeBlock block;
  ASSERT_TRUE(block.Encode(positions.data(), count)) << primes[from];
  EXPECT_FALSE(block.overflow());
  uint32_t decoded[PrimeBlock::kPrimes];
  ASSERT_EQ(block.Decode(decoded), count);
  for (uint32_t r = 0; r < count; ++r) {
    EXPECT_EQ(block.PositionAt(r), positions[r]) << primes[from] << " r " << r;
    EXPECT_EQ(decoded[r], PrimeBlock::Number(positions[r])) << primes[from] << " r " << r;
  }
}

TEST(PrimeBlockTest, ReadsBackThePrimesItCodesAnywhereBelow2To32) {
  const std::vector<uint32_t> first = SievedPrimes(100000);
  for (uint32_t count : {1u, 2u, 26u, 63u, 64u, PrimeBlock::kPrimes})
    ExpectRoundTrip(first, 0, count);
  ExpectRoundTrip(first, 3000, PrimeBlock::kPrimes);
  const uint64_t top = uint64_t{1} << 32;
  for (uint64_t lo : {uint64_t{1} << 31, top / 3 * 2, top - 4000}) {
    const std::vector<uint32_t> primes = PrimesBetween(lo, std::min(lo + 4000, top));
    const auto count = static_cast<uint32_t>(std::min<size_t>(primes.size(), PrimeBlock::kPrimes));
    ExpectRoundTrip(primes, 0, count);
  }
}

TEST(PrimeBlockTest, TheLargestPrimeGapBelow2To32FitsABlock) {
  // Found by sieving the window around it: 3,842,610,773 is followed by 335
  // composites, the largest gap below 2^32 (the next one of its size lies
  // above). Every block that holds it, wherever it starts, fits.
  const uint64_t gap_start = 3842610773u;
  const std::vector<uint32_t> primes = PrimesBetween(gap_start - 3000, gap_start + 3400);
  size_t at = 0;
  while (primes[at] != gap_start) ++at;
  ASSERT_EQ(primes[at + 1] - primes[at], 336u);
  for (size_t from = at + 1 - PrimeBlock::kPrimes; from <= at; from += 5) {
    ExpectRoundTrip(primes, from, PrimeBlock::kPrimes);
  }
}

TEST(PrimeBlockTest, OffsetsThatDoNotFitAreRefusedAndTheBlockMarkedOverflow) {
  // The last of kPrimes positions may lie at most 4 * (upper bits - (kPrimes
  // - 2)) + 3 past the first.
  constexpr uint32_t kWidest = 4 * (PrimeBlock::kUpperBits - (PrimeBlock::kPrimes - 2)) - 1;
  std::vector<uint32_t> positions(PrimeBlock::kPrimes);
  for (uint32_t k = 0; k < PrimeBlock::kPrimes; ++k) positions[k] = 1000000 + k;
  PrimeBlock block;
  positions.back() = positions[0] + kWidest;
  ASSERT_TRUE(block.Encode(positions.data(), PrimeBlock::kPrimes));
  EXPECT_EQ(block.PositionAt(PrimeBlock::kPrimes - 1), positions.back());
  EXPECT_EQ(block.PositionAt(PrimeBlock::kPrimes - 2), positions[PrimeBlock::kPrimes - 2]);
  uint32_t decoded[PrimeBlock::kPrimes];
  ASSERT_EQ(block.Decode(decoded), PrimeBlock::kPrimes);
  EXPECT_EQ(decoded[PrimeBlock::kPrimes - 1], PrimeBlock::Number(positions.back()));
  positions.back() += 1;
  EXPECT_FALSE(block.Encode(positions.data(), PrimeBlock::kPrimes));

  // A short block (the last of the table) has room for more, but its high
  // parts stay within a byte's reach too.
  for (const uint32_t offset : {4 * PrimeBlock::kHighMost + 3, 4 * PrimeBlock::kHighMost + 4}) {
    const uint32_t two[2] = {1000000, 1000000 + offset};
    const bool fits = offset < 4 * (PrimeBlock::kHighMost + 1);
    ASSERT_EQ(block.Encode(two, 2), fits) << offset;
    if (fits) {
      ASSERT_EQ(block.Decode(decoded), 2u);
      EXPECT_EQ(decoded[1], PrimeBlock::Number(two[1]));
      EXPECT_EQ(block.PositionAt(1), two[1]);
    }
  }

  block.SetOverflow(12345);
  EXPECT_TRUE(block.overflow());
  EXPECT_EQ(block.overflow_slot(), 12345u);
  // The largest position below 2^32 still reads as a block's first.
  const uint32_t last = PositionOf(4294967291u);
  ASSERT_TRUE(block.Encode(&last, 1));
  EXPECT_FALSE(block.overflow());
  EXPECT_EQ(PrimeBlock::Number(block.PositionAt(0)), 4294967291u);
}

}  // namespace

}  // namespace tallyra
