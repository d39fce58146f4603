#include "lists/PrimeList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "lists/ListRef.h"

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

// Whether n is prime, by trial division by every odd number up to its root.
bool IsPrimeByTrial(uint64_t n) {
  if (n < 2) return false;
  if (n % 2 == 0) return n == 2;
  for (uint64_t d = 3; d * d <= n; d += 2) {
    if (n % d == 0) return false;
  }
  return true;
}

// The odd-only sieve of Eratosthenes below limit, read out as a list of primes.
std::vector<uint32_t> SievedPrimes(uint32_t limit) {
  std::vector<bool> composite(limit / 2, false);  // entry k stands for 2k+1
  std::vector<uint32_t> primes = {2};
  for (uint32_t k = 1; k < limit / 2; ++k) {
    if (composite[k]) continue;
    const uint64_t p = 2 * uint64_t{k} + 1;
    primes.push_back(static_cast<uint32_t>(p));
    for (uint64_t m = p * p; m < limit; m += 2 * p) composite[m / 2] = true;
  }
  return primes;
}

TEST(PrimeListTest, ElementsAreNumbersWithEmptyText) {
  PrimeList primes;
  EXPECT_EQ(primes.Length(), -1);
  EXPECT_EQ(primes.ToConcrete(), nullptr);
  const struct {
    uint32_t index;
    uint32_t prime;
  } cases[] = {{0, 2},    {1, 3},      {53, 251},      {54, 257},
               {99, 541}, {999, 7919}, {9999, 104729}, {99999, 1299709}};
  for (const auto& c : cases) {
    const Element e = primes.ElementAt(c.index);
    EXPECT_EQ(e.kind, kElementNumber) << c.index;
    EXPECT_EQ(e.number, c.prime) << c.index;
    EXPECT_EQ(e.text, "") << c.index;
    EXPECT_EQ(primes.PrimeAt(c.index), c.prime) << c.index;
  }
  EXPECT_EQ(primes.Length(), -1);
  EXPECT_EQ(primes.ToConcrete(), nullptr);
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
  // Long enough to cross many segments, chunks and index samples; read in order,
  // then at random from a fresh list, which grows in jumps.
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
}

TEST(PrimeListTest, GrowsOnlyAsFarAsAsked) {
  PrimeList primes;
  EXPECT_EQ(primes.KnownCount(), 54u);
  EXPECT_EQ(primes.PrimeAt(53), 251u);
  EXPECT_EQ(primes.KnownCount(), 54u);  // the starting table covers it

  EXPECT_EQ(primes.PrimeAt(54), 257u);
  const uint64_t after_first_growth = primes.KnownCount();
  EXPECT_GT(after_first_growth, 54u);
  EXPECT_LT(after_first_growth, 1000000u);  // one segment's worth, not the whole range

  const uint32_t p1000 = primes.PrimeAt(1000);
  const uint64_t known = primes.KnownCount();
  EXPECT_GT(known, 1000u);
  EXPECT_EQ(primes.PrimeAt(500), 3581u);
  EXPECT_EQ(primes.PrimeAt(1000), p1000);
  EXPECT_EQ(primes.KnownCount(), known);  // covered reads never grow the table

  // Far indices grow the table by segments up to what is asked, never to the end.
  EXPECT_EQ(primes.PrimeAt(5000000), 86028157u);
  EXPECT_GT(primes.KnownCount(), 5000000u);
  EXPECT_LT(primes.KnownCount(), 6000000u);
}

TEST(PrimeListTest, OneInstanceServesEveryNameItIsReachedBy) {
  auto list = std::make_shared<PrimeList>();
  ListRef primes(list), prime(list), p(list);
  EXPECT_EQ(p->ElementAt(54).number, 257);
  const uint64_t known = list->KnownCount();
  EXPECT_EQ(primes->ElementAt(54).number, 257);
  EXPECT_EQ(prime->ElementAt(54).number, 257);
  EXPECT_EQ(list->KnownCount(), known);
}

TEST(PrimeListTest, PastTheLastPrimeBelow2To32IsNoneAtOnce) {
  PrimeList primes;
  for (uint32_t index : {PrimeList::kLastIndex + 1, PrimeList::kLastIndex + 2, 0xFFFFFFFFu}) {
    EXPECT_EQ(primes.PrimeAt(index), 0u);
    const Element e = primes.ElementAt(index);
    EXPECT_EQ(e.kind, kElementNone);
    EXPECT_EQ(e.text, "");
  }
  EXPECT_EQ(primes.KnownCount(), 54u);  // nothing was searched
}

#ifndef TALLYRA_SANITIZE  // the whole range takes a few seconds, far more under ASan
TEST(PrimeListTest, HoldsEveryPrimeBelow2To32) {
  PrimeList primes;
  EXPECT_EQ(primes.PrimeAt(PrimeList::kLastIndex), 4294967291u);
  EXPECT_EQ(primes.KnownCount(), uint64_t{PrimeList::kLastIndex} + 1);
  EXPECT_EQ(primes.PrimeAt(PrimeList::kLastIndex + 1), 0u);
  EXPECT_EQ(primes.ElementAt(0xFFFFFFFFu).kind, kElementNone);
  EXPECT_EQ(primes.KnownCount(), uint64_t{PrimeList::kLastIndex} + 1);
  EXPECT_EQ(primes.PrimeAt(50847533), 999999937u);    // the last prime below 10^9
  EXPECT_EQ(primes.PrimeAt(105097564), 2147483647u);  // 2^31 - 1

  // The last 2000 entries are primes, with none missed between them.
  uint64_t next = uint64_t{1} << 32;
  for (uint32_t i = PrimeList::kLastIndex; i > PrimeList::kLastIndex - 2000; --i) {
    const uint32_t p = primes.PrimeAt(i);
    ASSERT_TRUE(IsPrimeByTrial(p)) << i;
    for (uint64_t n = uint64_t{p} + 1; n < next; ++n) ASSERT_FALSE(IsPrimeByTrial(n)) << n;
    next = p;
  }

  // Earlier entries still read back, at random over the whole range.
  std::mt19937 rng(2024);
  std::uniform_int_distribution<uint32_t> pick(0, PrimeList::kLastIndex);
  for (int k = 0; k < 2000; ++k) {
    const uint32_t i = pick(rng);
    const uint32_t p = primes.PrimeAt(i);
    ASSERT_TRUE(IsPrimeByTrial(p)) << i;
    if (i > 0) {
      ASSERT_LT(primes.PrimeAt(i - 1), p) << i;
    }
  }
}
#endif

}  // namespace
