#include "lists/PrimeBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "lists/PrimeList.h"
#include "lists/PrimeTable.h"
#include "lists/testing/ReferencePrimes.h"

namespace tallyra {

namespace {

// The bitmap position of a number coprime to 30.
uint32_t PositionOf(uint32_t n) {
  uint32_t k = 0;
  while (PrimeSieve::kWheel[k] != n % 30) ++k;
  return n / 30 * 8 + k;
}

// Each way of reading blocks that this processor runs, by name.
struct NamedReader {
  const char* name;
  PrimeBlock::Reader reader;
};
std::vector<NamedReader> Readers() {
  std::vector<NamedReader> readers = {{"portable", PrimeBlock::PortableReader()}};
  const PrimeBlock::Reader fast = PrimeBlock::FastReader();
  if (fast.number_at != nullptr) readers.push_back({"fast", fast});
  return readers;
}

// Expects every way of reading `block` to give the numbers of `positions`
// back, at each place and by decoding.
void ExpectReads(const PrimeBlock& block, const std::vector<uint32_t>& positions) {
  const auto count = static_cast<uint32_t>(positions.size());
  for (const NamedReader& each : Readers()) {
    uint32_t decoded[PrimeBlock::kPrimes];
    ASSERT_EQ(each.reader.decode(block, decoded), count) << each.name;
    for (uint32_t r = 0; r < count; ++r) {
      EXPECT_EQ(each.reader.number_at(block, r), PrimeBlock::Number(positions[r]))
          << each.name << " r " << r;
      EXPECT_EQ(decoded[r], PrimeBlock::Number(positions[r])) << each.name << " r " << r;
    }
  }
}

// Codes the primes from 7 on among `primes`, from element `from`, up to count
// of them; expects every one read back.
void ExpectRoundTrip(const std::vector<uint32_t>& primes, size_t from, uint32_t count) {
  std::vector<uint32_t> positions;
  for (size_t i = from; i < primes.size() && positions.size() < count; ++i) {
    if (primes[i] >= 7) positions.push_back(PositionOf(primes[i]));
  }
  ASSERT_EQ(positions.size(), count);
  PrimeBlock block;
  ASSERT_TRUE(block.Encode(positions.data(), count)) << primes[from];
  SCOPED_TRACE(primes[from]);
  ExpectReads(block, positions);
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

TEST(PrimeBlockTest, PrimesSpreadTooWideAreRefused) {
  // The last of kPrimes positions may lie at most 8 (upper bits - (kPrimes -
  // 1)) - 1 past the multiple of 8 below the first; a short block's (the
  // last of the table) reaches further.
  struct Case {
    uint32_t first;
    uint32_t count;
  };
  for (const Case c :
       {Case{1000000, PrimeBlock::kPrimes}, Case{1000005, PrimeBlock::kPrimes}, Case{1000003, 2}}) {
    SCOPED_TRACE(testing::Message() << c.first << " count " << c.count);
    const uint32_t widest = 1000000 + 8 * (PrimeBlock::kUpperBits - (c.count - 1)) - 1;
    std::vector<uint32_t> positions(c.count);
    for (uint32_t k = 0; k < c.count; ++k) positions[k] = c.first + k;
    positions.back() = widest;
    PrimeBlock block;
    ASSERT_TRUE(block.Encode(positions.data(), c.count));
    ExpectReads(block, positions);
    positions.back() += 1;
    EXPECT_FALSE(block.Encode(positions.data(), c.count));
  }
  // The largest position below 2^32 still reads as a block's first.
  const std::vector<uint32_t> last = {PositionOf(4294967291u)};
  PrimeBlock block;
  ASSERT_TRUE(block.Encode(last.data(), 1));
  ExpectReads(block, last);
}

TEST(PrimeBlockTest, EveryWayOfReadingAgreesOnEveryBlockBelow2To32) {
  // The table's own reads are checked against independent sieves elsewhere;
  // here each way of reading is checked against the others on every block:
  // every block decoded each way, and primes read at their places, all of
  // every 8th block's and three of every other's (the first, the last and
  // one that moves on from block to block), so that each way reads every
  // block at a few places and every place in many blocks (the 32-bit tests
  // run under an emulator).
  PrimeList primes;
  ASSERT_TRUE(primes.CoverAll());
  const std::shared_ptr<PrimeTable> table = PrimeTable::Shared();
  const std::vector<NamedReader> readers = Readers();
  uint32_t b = 0;
  for (uint32_t first = 3; first <= PrimeTable::kLastIndex; first += PrimeBlock::kPrimes, ++b) {
    const PrimeBlock& block = table->BlockOf(first);
    const uint32_t count = std::min(PrimeBlock::kPrimes, PrimeTable::kLastIndex + 1 - first);
    uint32_t expected[PrimeBlock::kPrimes];
    ASSERT_EQ(readers[0].reader.decode(block, expected), count) << "at " << first;
    for (const NamedReader& each : readers) {
      uint32_t decoded[PrimeBlock::kPrimes];
      ASSERT_EQ(each.reader.decode(block, decoded), count) << each.name << " at " << first;
      const auto expect_at = [&](uint32_t r) {
        ASSERT_EQ(decoded[r], expected[r]) << each.name << " at " << first + r;
        ASSERT_EQ(each.reader.number_at(block, r), expected[r]) << each.name << " at " << first + r;
      };
      if (b % 8 == 0) {
        for (uint32_t r = 0; r < count; ++r) expect_at(r);
      } else {
        for (const uint32_t r : {0u, b % count, count - 1}) expect_at(r);
        for (uint32_t r = 0; r < count; ++r) ASSERT_EQ(decoded[r], expected[r]) << each.name;
      }
    }
  }
}

}  // namespace

}  // namespace tallyra
