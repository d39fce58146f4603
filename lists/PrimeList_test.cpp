#include "lists/PrimeList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "lists/ListRef.h"
#include "lists/testing/ReferencePrimes.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

// The primes by trial division of every candidate by the primes found before
// it, up to the square root taken in double precision and rounded to single.
std::vector<uint32_t> TrialDivisionPrimes(size_t count) {
  std::vector<uint32_t> primes = {2};
  for (uint32_t n = 3; primes.size() < count; ++n) {
    const auto bound = static_cast<uint32_t>(static_cast<float>(std::sqrt(static_cast<double>(n))));
    bool prime = true;
    for (uint32_t p : primes) {
      if (p > bound) break;
      if (n % p == 0) {
        prime = false;
        break;
      }
    }
    if (prime) primes.push_back(n);
  }
  return primes;
}

const std::vector<uint32_t>& Reference() {
  static const std::vector<uint32_t> primes = TrialDivisionPrimes(100000);
  return primes;
}

TEST(PrimeListTest, ElementsAreNumbersWithEmptyText) {
  PrimeList primes;
  EXPECT_EQ(primes.Length(UnlimitedBudget()), -1);
  EXPECT_EQ(primes.ToConcrete(UnlimitedBudget()), nullptr);
  const struct {
    uint32_t index;
    uint32_t prime;
  } cases[] = {{0, 2},    {1, 3},      {53, 251},      {54, 257},
               {99, 541}, {999, 7919}, {9999, 104729}, {99999, 1299709}};
  for (const auto& c : cases) {
    const Element e = primes.ElementAt(c.index, UnlimitedBudget());
    EXPECT_EQ(e.kind(), kElementNumber) << c.index;
    EXPECT_EQ(e.number(), c.prime) << c.index;
    EXPECT_EQ(e.text(), "") << c.index;
    EXPECT_EQ(primes.PrimeAt(c.index), c.prime) << c.index;
  }
  EXPECT_EQ(primes.Length(UnlimitedBudget()), -1);
  EXPECT_EQ(primes.ToConcrete(UnlimitedBudget()), nullptr);
}

TEST(PrimeListTest, MatchesTrialDivisionInOrderAndAfterAFarRead) {
  const std::vector<uint32_t>& reference = Reference();
  PrimeList in_order;
  for (uint32_t i = 0; i < reference.size(); ++i) {
    ASSERT_EQ(in_order.PrimeAt(i), reference[i]) << i;
  }
  PrimeList far_first;
  const auto last = static_cast<uint32_t>(reference.size() - 1);
  ASSERT_EQ(far_first.PrimeAt(last), reference[last]);
  for (uint32_t i = last; i-- > 0;) ASSERT_EQ(far_first.PrimeAt(i), reference[i]) << i;
}

TEST(PrimeListTest, MatchesASieveOverTheFirst2To26Numbers) {
  // Long enough to cross segments, chunks and many blocks; read in order, then
  // at random from a fresh list, which grows in jumps.
  const std::vector<uint32_t> reference = SievedPrimes(1u << 26);
  PrimeList in_order;
  for (uint32_t i = 0; i < reference.size(); ++i) {
    ASSERT_EQ(in_order.PrimeAt(i), reference[i]) << i;
  }
  PrimeList at_random;
  std::mt19937 rng(12345);
  std::uniform_int_distribution<uint32_t> pick(0, static_cast<uint32_t>(reference.size() - 1));
  for (int k = 0; k < 20000; ++k) {
    const uint32_t i = pick(rng);
    ASSERT_EQ(at_random.PrimeAt(i), reference[i]) << i;
  }
  // Jumps, each followed by a walk of up to 150 steps one way or the other
  // (across block boundaries, from a place read at random).
  std::uniform_int_distribution<int> steps(0, 150);
  for (int k = 0; k < 2000; ++k) {
    uint32_t i = pick(rng);
    const bool forward = (k % 2) == 0;
    for (int n = steps(rng); n > 0 && i > 0 && i + 1 < reference.size(); --n) {
      ASSERT_EQ(at_random.PrimeAt(i), reference[i]) << i;
      i = forward ? i + 1 : i - 1;
    }
  }
}

TEST(PrimeListTest, GrowsOnlyAsFarAsAsked) {
  PrimeList primes;
  EXPECT_EQ(primes.KnownCount(), 54u);
  EXPECT_EQ(primes.PrimeAt(53), 251u);
  EXPECT_EQ(primes.KnownCount(), 54u);  // the starting table covers it

  EXPECT_EQ(primes.PrimeAt(54), 257u);
  const uint64_t after_first_growth = primes.KnownCount();
  EXPECT_GT(after_first_growth, 54u);
  EXPECT_LT(after_first_growth, 1000000u);             // one segment's worth, not the whole range
  EXPECT_LT(primes.MemoryBytes(), uint64_t{8} << 20);  // and memory for about that much

  const uint32_t p1000 = primes.PrimeAt(1000);
  const uint64_t known = primes.KnownCount();
  EXPECT_GT(known, 1000u);
  EXPECT_EQ(primes.PrimeAt(500), 3581u);
  EXPECT_EQ(primes.PrimeAt(1000), p1000);
  EXPECT_EQ(primes.KnownCount(), known);  // covered reads never grow the table

  // A far index codes the chunk that it falls in from the chunk's start up to
  // the segment that holds it; the primes before the chunk are only counted.
  constexpr uint32_t kChunkPrimes = PrimeTable::kChunkBlocks * PrimeTable::kBlockPrimes;
  EXPECT_EQ(primes.PrimeAt(5000000), 86028157u);
  EXPECT_GT(primes.KnownCount(), known + (5000000u - kChunkPrimes));
  EXPECT_LT(primes.KnownCount(), known + (6000000u - kChunkPrimes));
  EXPECT_LT(primes.MemoryBytes(), uint64_t{8} << 20);  // two chunks and the sieve
}

TEST(PrimeListTest, OneInstanceServesEveryNameItIsReachedBy) {
  auto list = std::make_shared<PrimeList>();
  ListRef primes(list), prime(list), p(list);
  EXPECT_EQ(p->ElementAt(54, UnlimitedBudget()).number(), 257);
  const uint64_t known = list->KnownCount();
  EXPECT_EQ(primes->ElementAt(54, UnlimitedBudget()).number(), 257);
  EXPECT_EQ(prime->ElementAt(54, UnlimitedBudget()).number(), 257);
  EXPECT_EQ(list->KnownCount(), known);
}

TEST(PrimeListTest, AReadIsChargedByWhereItComesFrom) {
  PrimeList primes;
  ASSERT_EQ(primes.PrimeAt(200000), 2750161u);  // growth is not charged
  PrimeList reader;
  const struct {
    uint32_t index;
    uint64_t cost;
  } reads[] = {{10, work_cost::kPrimeRead},    // the starting window
               {54, work_cost::kPrimeDecode},  // just past it: refills the window
               {55, work_cost::kPrimeRead},
               {150000, work_cost::kPrimeSeek},    // far off
               {150001, work_cost::kPrimeDecode},  // then on in index order
               {150002, work_cost::kPrimeRead},
               {3, work_cost::kPrimeDecode},  // back to the starting window
               {PrimeList::kLastIndex + 1, work_cost::kPrimeRead}};
  WorkBudget budget;
  for (const auto& read : reads) {
    const uint64_t before = budget.remaining();
    reader.ElementAt(read.index, budget);
    EXPECT_EQ(before - budget.remaining(), read.cost) << read.index;
  }
  // Seeks spend a budget that would cover some two hundred reads from the window.
  WorkBudget small(work_cost::kPrimeSeek * 2 + work_cost::kPrimeRead);
  EXPECT_EQ(reader.ElementAt(100000, small).number(), primes.PrimeAt(100000));
  EXPECT_EQ(reader.ElementAt(190000, small).number(), primes.PrimeAt(190000));
  EXPECT_EQ(reader.ElementAt(20000, small).kind(), kElementNone);
  EXPECT_TRUE(small.Spent());
}

TEST(PrimeListTest, PastTheLastPrimeBelow2To32IsNoneAtOnce) {
  PrimeList primes;
  for (uint32_t index : {PrimeList::kLastIndex + 1, PrimeList::kLastIndex + 2, 0xFFFFFFFFu}) {
    EXPECT_EQ(primes.PrimeAt(index), 0u);
    const Element e = primes.ElementAt(index, UnlimitedBudget());
    EXPECT_EQ(e.kind(), kElementNone);
    EXPECT_EQ(e.text(), "");
  }
  EXPECT_EQ(primes.KnownCount(), 54u);  // nothing was searched
}

TEST(PrimeListTest, ListsShareOneTableAndReadCorrectlyWhileAnotherGrowsIt) {
  const std::vector<uint32_t> reference = SievedPrimes(1u << 26);
  const auto count = static_cast<uint32_t>(reference.size());
  EXPECT_EQ(PrimeTable::LiveBytes(), 0u);
  {
    PrimeList walker, grower;
    EXPECT_EQ(walker.PrimeAt(60), reference[60]);  // the walker's window holds a line
    const uint64_t bytes = walker.MemoryBytes();
    // The grower reaches further and further out (a chunk at a time) while the
    // walker reads on in order, either way, from the lines it holds.
    uint32_t forward = 60, backward = 400000;
    ASSERT_EQ(walker.PrimeAt(backward), reference[backward]);
    for (uint32_t far = 600000; far < count; far += 250000) {
      ASSERT_EQ(grower.PrimeAt(far), reference[far]) << far;
      EXPECT_EQ(walker.KnownCount(), grower.KnownCount());
      for (int k = 0; k < 3000; ++k, ++forward, --backward) {
        ASSERT_EQ(walker.PrimeAt(forward), reference[forward]) << forward;
        ASSERT_EQ(walker.PrimeAt(backward), reference[backward]) << backward;
      }
    }
    EXPECT_GT(grower.MemoryBytes(), bytes);
    EXPECT_EQ(walker.MemoryBytes(), grower.MemoryBytes());
    EXPECT_EQ(PrimeTable::LiveBytes(), grower.MemoryBytes());
  }
  // The last list gone, the table is released; a new list builds it again.
  EXPECT_EQ(PrimeTable::LiveBytes(), 0u);
  PrimeList again;
  EXPECT_EQ(again.KnownCount(), 54u);
  EXPECT_EQ(again.PrimeAt(count - 1), reference[count - 1]);
  EXPECT_EQ(again.PrimeAt(54), 257u);
}

// Lifts the growth limit when a test ends, whatever happened.
struct GrowthLimit {
  explicit GrowthLimit(uint64_t bytes) { PrimeTable::SetGrowthLimitForTesting(bytes); }
  ~GrowthLimit() { PrimeTable::SetGrowthLimitForTesting(~uint64_t{0}); }
  GrowthLimit(const GrowthLimit&) = delete;
  GrowthLimit& operator=(const GrowthLimit&) = delete;
};

TEST(PrimeListTest, WithoutMemoryToGrowAReadIsNoneAndALaterReadTriesAgain) {
  const std::vector<uint32_t> reference = SievedPrimes(1u << 26);
  PrimeList primes;
  {
    const GrowthLimit none(0);
    EXPECT_EQ(primes.PrimeAt(53), 251u);  // the starting primes need no table
    EXPECT_EQ(primes.PrimeAt(54), 0u);
    EXPECT_EQ(primes.ElementAt(54, UnlimitedBudget()).kind(), kElementNone);
    EXPECT_EQ(primes.KnownCount(), 54u);
  }
  EXPECT_EQ(primes.PrimeAt(54), 257u);
  const uint64_t bytes = primes.MemoryBytes();
  {
    // Room for what the table holds, not for one more chunk: the table may
    // still fill the memory it has, but further indices answer None, the
    // memory stays the same and what is held is still read right.
    const GrowthLimit held(bytes);
    PrimeList other;
    EXPECT_EQ(other.PrimeAt(5000000), 0u);
    EXPECT_EQ(primes.PrimeAt(5000000), 0u);
    EXPECT_EQ(primes.MemoryBytes(), bytes);
    const uint64_t known = primes.KnownCount();
    EXPECT_LT(known, 5000000u);
    EXPECT_EQ(other.PrimeAt(500), 3581u);
    const auto last = static_cast<uint32_t>(known - 1);
    ASSERT_LT(last, reference.size());
    EXPECT_EQ(other.PrimeAt(last), reference[last]);
    EXPECT_EQ(primes.PrimeAt(last), reference[last]);
  }
  EXPECT_EQ(primes.PrimeAt(5000000), 86028157u);
}

TEST(PrimeListTest, CoverAllFillsInWhatAFarReadLeftOut) {
  PrimeList primes;
  ASSERT_EQ(primes.PrimeAt(105097564), 2147483647u);  // 2^31 - 1, a chunk in the middle
  EXPECT_LT(primes.KnownCount(), 105097564u);
  ASSERT_TRUE(primes.CoverAll());
  EXPECT_EQ(primes.KnownCount(), uint64_t{PrimeList::kLastIndex} + 1);
  EXPECT_EQ(primes.PrimeAt(50847533), 999999937u);  // the last prime below 10^9
  EXPECT_EQ(primes.PrimeAt(PrimeList::kLastIndex), 4294967291u);
}

// The first index whose prime is at least n (the list holds the whole range).
uint32_t FirstIndexFrom(PrimeList& primes, uint64_t n) {
  uint32_t lo = 0, hi = PrimeList::kLastIndex + 1;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (primes.PrimeAt(mid) < n) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

TEST(PrimeListTest, HoldsEveryPrimeBelow2To32) {
  constexpr uint32_t kChunkPrimes = PrimeTable::kChunkBlocks * PrimeTable::kBlockPrimes;
  PrimeList primes;
  EXPECT_EQ(primes.PrimeAt(PrimeList::kLastIndex), 4294967291u);
  const uint64_t reached = primes.KnownCount();  // the last chunk's primes only
  EXPECT_LT(reached, kChunkPrimes);
  EXPECT_EQ(primes.PrimeAt(PrimeList::kLastIndex + 1), 0u);
  EXPECT_EQ(primes.ElementAt(0xFFFFFFFFu, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(primes.KnownCount(), reached);

  // Each chunk is coded from its start when a read first falls in it, here
  // before the chunk ahead of it: the primes on both sides of every chunk's
  // start follow one another as an independent sieve has them.
  for (uint32_t start = kChunkPrimes + 3; start <= PrimeList::kLastIndex; start += kChunkPrimes) {
    const uint32_t after = primes.PrimeAt(start + 50), before = primes.PrimeAt(start - 50);
    const std::vector<uint32_t> expected = PrimesBetween(before, uint64_t{after} + 1);
    ASSERT_EQ(expected.size(), 101u) << "at index " << start;
    for (uint32_t k = 0; k < expected.size(); ++k) {
      ASSERT_EQ(primes.PrimeAt(start - 50 + k), expected[k]) << "at index " << start;
    }
  }
  EXPECT_EQ(primes.KnownCount(), uint64_t{PrimeList::kLastIndex} + 1);
  EXPECT_EQ(primes.PrimeAt(50847533), 999999937u);    // the last prime below 10^9
  EXPECT_EQ(primes.PrimeAt(105097564), 2147483647u);  // 2^31 - 1

  // Every stretch of the table around the start of each segment (sieved at
  // once), around numbers chosen at random and at the end matches an
  // independent sieve, at the index that the count up to it gives.
  std::vector<uint64_t> starts;
  for (uint64_t n = PrimeTable::kSegmentNumbers; n < (uint64_t{1} << 32);
       n += PrimeTable::kSegmentNumbers) {
    starts.push_back(n);
  }
  std::mt19937 rng(7);
  std::uniform_int_distribution<uint32_t> number(2000, 0xFFFFFFFFu);
  for (int k = 0; k < 30; ++k) starts.push_back(number(rng));
  starts.push_back((uint64_t{1} << 32) - 2000);
  // The largest prime gap below 2^32 (after 3,842,610,773), and the blocks
  // whose primes lie furthest apart (found by sieving the whole range; the
  // widest starts at 4,077,483,721): each window holds the whole block that
  // starts 1,400 below its middle.
  starts.push_back(3842610773u);
  for (uint64_t first : {2522267947u, 2753027009u, 3265851437u, 3614579663u, 3674068187u,
                         3984698953u, 4000786417u, 4077483721u, 4141507543u}) {
    starts.push_back(first + 1400);
  }
  for (uint64_t start : starts) {
    const uint64_t lo = start - 2000, hi = std::min(start + 2000, uint64_t{1} << 32);
    const std::vector<uint32_t> expected = PrimesBetween(lo, hi);
    const uint32_t first = FirstIndexFrom(primes, lo);
    for (uint32_t k = 0; k < expected.size(); ++k) {
      ASSERT_EQ(primes.PrimeAt(first + k), expected[k]) << "near " << start;
    }
    if (hi < (uint64_t{1} << 32)) {
      ASSERT_GE(primes.PrimeAt(first + static_cast<uint32_t>(expected.size())), hi);
    }
  }
  EXPECT_EQ(primes.KnownCount(), uint64_t{PrimeList::kLastIndex} + 1);
}

}  // namespace

}  // namespace tallyra
