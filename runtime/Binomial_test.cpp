#include "runtime/Binomial.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace tallyra {

namespace {

int32_t AsSigned(uint32_t value) { return static_cast<int32_t>(value); }

// The definition itself, evaluated literally (fine for small n >= 0).
int32_t Recursive(int32_t n, int32_t k) {
  if (k == 0) return 1;
  if (n == 0) return 0;
  return AsSigned(static_cast<uint32_t>(Recursive(n - 1, k - 1)) +
                  static_cast<uint32_t>(Recursive(n - 1, k)));
}

// n over k mod 2^32 by the product (n-k+1)/1 * (n-k+2)/2 * ... * n/k, with the
// powers of 2 counted apart so that the odd parts can be divided out.
uint32_t ProductMethod(uint32_t n, uint32_t k) {
  int twos = 0;
  uint32_t odd = 1;
  for (uint32_t i = 1; i <= k; ++i) {
    uint32_t up = n - k + i;
    uint32_t down = i;
    while ((up & 1) == 0) up >>= 1, ++twos;
    while ((down & 1) == 0) down >>= 1, --twos;
    odd *= up * binomial_detail::InverseOfOdd(down);
  }
  return twos >= 32 ? 0 : odd << twos;
}

TEST(BinomialTest, KnownValues) {
  EXPECT_EQ(Binomial(5, 2), 10);
  EXPECT_EQ(Binomial(4, 0), 1);
  EXPECT_EQ(Binomial(3, 5), 0);
  EXPECT_EQ(Binomial(5, -1), 0);
  EXPECT_EQ(Binomial(0, 0), 1);
  EXPECT_EQ(Binomial(-3, 0), 1);
  EXPECT_EQ(Binomial(INT32_MIN, 0), 1);
  EXPECT_EQ(Binomial(33, 16), 1166803110);
  // 34 over 17 = 2333606220 is the first central coefficient past 2^31.
  EXPECT_EQ(Binomial(34, 17), AsSigned(2333606220u));
  EXPECT_EQ(Binomial(INT32_MAX, 1), INT32_MAX);
  EXPECT_EQ(Binomial(INT32_MAX, INT32_MAX), 1);
  EXPECT_EQ(Binomial(INT32_MAX, INT32_MAX - 1), INT32_MAX);
}

TEST(BinomialTest, MatchesTheRecursionForSmallArguments) {
  for (int32_t n = 0; n <= 16; ++n) {
    for (int32_t k = -3; k <= 19; ++k) EXPECT_EQ(Binomial(n, k), Recursive(n, k)) << n << " " << k;
  }
}

TEST(BinomialTest, MatchesPascalsTriangleUpTo70) {
  std::vector<uint32_t> row = {1};  // row n, wrapping like the recursion
  for (int32_t n = 0; n <= 70; ++n) {
    for (int32_t k = -5; k <= n + 5; ++k) {
      const uint32_t expected = (k < 0 || k > n) ? 0 : row[static_cast<std::size_t>(k)];
      EXPECT_EQ(Binomial(n, k), AsSigned(expected)) << n << " " << k;
    }
    std::vector<uint32_t> next(row.size() + 1, 1);
    for (std::size_t k = 1; k < row.size(); ++k) next[k] = row[k - 1] + row[k];
    row = next;
  }
}

TEST(BinomialTest, NegativeNGivesTheGeneralisedCoefficient) {
  EXPECT_EQ(Binomial(-5, 3), -35);
  EXPECT_EQ(Binomial(-5, -3), 0);
  for (int32_t k = 0; k < 40; ++k) EXPECT_EQ(Binomial(-1, k), k % 2 == 0 ? 1 : -1);
  // n(n-1)...(n-k+1)/k! computed exactly for small arguments.
  for (int64_t n = -20; n < 0; ++n) {
    int64_t value = 1;
    for (int64_t k = 1; k <= 12; ++k) {
      value = value * (n - k + 1) / k;  // exact at every step
      EXPECT_EQ(Binomial(static_cast<int32_t>(n), static_cast<int32_t>(k)),
                AsSigned(static_cast<uint32_t>(value)))
          << n << " " << k;
    }
  }
  // k - n - 1 past 2^31: -(2^31) over 1 is -(2^31).
  EXPECT_EQ(Binomial(INT32_MIN, 1), INT32_MIN);
}

TEST(BinomialTest, LargeArgumentsMatchTheProductMethod) {
  std::mt19937 random(20240611);
  for (int i = 0; i < 300; ++i) {
    const auto n = static_cast<int32_t>(random() % 2147483648u);
    const auto small = static_cast<int32_t>(random() % 20000);
    if (small > n) continue;
    const uint32_t expected = ProductMethod(static_cast<uint32_t>(n), static_cast<uint32_t>(small));
    EXPECT_EQ(Binomial(n, small), AsSigned(expected)) << n << " " << small;
    EXPECT_EQ(Binomial(n, n - small), AsSigned(expected)) << n << " " << n - small;
  }
  for (int i = 0; i < 100; ++i) {
    const auto n = -static_cast<int32_t>(random() % 2147483648u) - 1;
    const auto k = static_cast<int32_t>(random() % 20000) + 1;
    const uint32_t magnitude =
        ProductMethod(static_cast<uint32_t>(int64_t{k} - n - 1), static_cast<uint32_t>(k));
    EXPECT_EQ(Binomial(n, k), AsSigned(k % 2 == 0 ? magnitude : 0u - magnitude)) << n << " " << k;
  }
}

TEST(BinomialTest, PascalsRuleHoldsAnywhere) {
  // B(n, k) = B(n-1, k-1) + B(n-1, k) for k >= 1, also where n, k and n-k are all
  // near 2^30 and no slower method can check the values one by one.
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    const auto n = static_cast<int32_t>(random()) | 1;  // never INT32_MIN
    int32_t k = static_cast<int32_t>(random() % 2147483647u) + 1;
    if (i % 2 == 0 && n > 0) k = n / 2 + static_cast<int32_t>(random() % 64);
    const uint32_t sum =
        static_cast<uint32_t>(Binomial(n - 1, k - 1)) + static_cast<uint32_t>(Binomial(n - 1, k));
    EXPECT_EQ(Binomial(n, k), AsSigned(sum)) << n << " " << k;
  }
}

TEST(BinomialTest, OddProductsMatchDirectProducts) {
  uint32_t product = 1;
  for (uint32_t x = 0; x < 5000; ++x) {
    if (x % 2 == 1) product *= x;
    ASSERT_EQ(binomial_detail::OddProductUpTo(x), product) << x;
  }
  // A long run far from 0: the blocks of every size meet here.
  const uint32_t start = 0xFFF00000u;
  product = binomial_detail::OddProductUpTo(start);
  for (uint32_t x = start + 1; x != 0; ++x) {
    if (x % 2 == 1) product *= x;
    if (x % 4099 == 0 || x == 0xFFFFFFFFu) {
      ASSERT_EQ(binomial_detail::OddProductUpTo(x), product) << x;
    }
  }
}

}  // namespace

}  // namespace tallyra
