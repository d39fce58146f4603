#include "lists/BigUnsigned.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tallyra {

namespace {

// 128-bit unsigned arithmetic, the reference for the operations under test:
// two 64-bit halves, so that it is the same on the 32-bit targets, which have
// no native 128-bit type. Division is the schoolbook one, a bit at a time.
class U128 {
 public:
  U128(uint64_t low = 0) : low_(low) {}  // NOLINT: converts as a built-in type does
  U128(uint64_t high, uint64_t low) : high_(high), low_(low) {}

  uint32_t Low32() const { return static_cast<uint32_t>(low_); }

  friend bool operator==(const U128& a, const U128& b) {
    return a.high_ == b.high_ && a.low_ == b.low_;
  }
  friend bool operator!=(const U128& a, const U128& b) { return !(a == b); }
  friend bool operator<(const U128& a, const U128& b) {
    return a.high_ != b.high_ ? a.high_ < b.high_ : a.low_ < b.low_;
  }
  friend bool operator>=(const U128& a, const U128& b) { return !(a < b); }

  friend U128 operator+(const U128& a, const U128& b) {
    const uint64_t low = a.low_ + b.low_;
    return U128(a.high_ + b.high_ + (low < a.low_ ? 1 : 0), low);
  }
  friend U128 operator-(const U128& a, const U128& b) {
    return U128(a.high_ - b.high_ - (a.low_ < b.low_ ? 1 : 0), a.low_ - b.low_);
  }
  friend U128 operator&(const U128& a, const U128& b) {
    return U128(a.high_ & b.high_, a.low_ & b.low_);
  }
  friend U128 operator|(const U128& a, const U128& b) {
    return U128(a.high_ | b.high_, a.low_ | b.low_);
  }
  friend U128 operator^(const U128& a, const U128& b) {
    return U128(a.high_ ^ b.high_, a.low_ ^ b.low_);
  }
  // Shifts of 0 to 127 bits.
  friend U128 operator<<(const U128& a, int n) {
    if (n == 0) return a;
    if (n >= 64) return U128(a.low_ << (n - 64), 0);
    return U128((a.high_ << n) | (a.low_ >> (64 - n)), a.low_ << n);
  }
  friend U128 operator>>(const U128& a, int n) {
    if (n == 0) return a;
    if (n >= 64) return U128(0, a.high_ >> (n - 64));
    return U128(a.high_ >> n, (a.low_ >> n) | (a.high_ << (64 - n)));
  }
  U128& operator>>=(int n) { return *this = *this >> n; }
  U128& operator&=(const U128& b) { return *this = *this & b; }

  // The quotient and the remainder, by a divisor other than 0.
  friend void Divide(const U128& a, const U128& b, U128* quotient, U128* remainder) {
    *quotient = 0;
    *remainder = 0;
    for (int bit = 127; bit >= 0; --bit) {
      *remainder = (*remainder << 1) | ((a >> bit) & 1);
      if (*remainder >= b) {
        *remainder = *remainder - b;
        *quotient = *quotient | (U128(1) << bit);
      }
    }
  }
  friend U128 operator/(const U128& a, const U128& b) {
    U128 q, r;
    Divide(a, b, &q, &r);
    return q;
  }
  friend U128 operator%(const U128& a, const U128& b) {
    U128 q, r;
    Divide(a, b, &q, &r);
    return r;
  }

 private:
  uint64_t high_ = 0;
  uint64_t low_ = 0;
};

// Builds values bit by bit, so that the operations under test do not build
// their own expected results.
BigUnsigned FromBlocks(const std::vector<uint32_t>& blocks) {
  BigUnsigned value;
  for (uint32_t i = 0; i < blocks.size(); ++i) {
    for (uint32_t bit = 0; bit < 32; ++bit) {
      if ((blocks[i] >> bit) & 1u) value.setBit(32 * i + bit, true);
    }
  }
  return value;
}

BigUnsigned From128(U128 v) {
  return FromBlocks({v.Low32(), (v >> 32).Low32(), (v >> 64).Low32(), (v >> 96).Low32()});
}

std::vector<uint32_t> Blocks(const BigUnsigned& value) {
  std::vector<uint32_t> blocks;
  for (uint32_t i = 0; i < value.length(); ++i) blocks.push_back(value.getBlock(i));
  return blocks;
}

// The value with 128 bits at most, and whether it holds the invariant.
U128 To128(const BigUnsigned& value) {
  EXPECT_LE(value.length(), 4u);
  if (value.length() > 0) {
    EXPECT_NE(value.getBlock(value.length() - 1), 0u) << "leading zero block";
  }
  U128 v = 0;
  for (uint32_t i = value.length(); i-- > 0;) v = (v << 32) | value.getBlock(i);
  return v;
}

std::string Hex(U128 v) {
  std::string s;
  do {
    s.insert(s.begin(), "0123456789abcdef"[(v & 15).Low32()]);
    v >>= 4;
  } while (v != 0);
  return s;
}

void ExpectError(const std::function<void()>& operation, const std::string& message) {
  try {
    operation();
    ADD_FAILURE() << "no error; expected \"" << message << "\"";
  } catch (const BigUnsignedError& error) {
    EXPECT_EQ(error.what(), message);
  }
}

// A product by shifts and additions, for building dividends.
BigUnsigned Multiply(const BigUnsigned& a, const BigUnsigned& b) {
  BigUnsigned product;
  for (uint32_t i = 0; i < b.bitLength(); ++i) {
    if (b.getBit(i)) product = product + (a << static_cast<int32_t>(i));
  }
  return product;
}

// A random value of up to `bits` bits whose bit length is itself random, so
// that short, long and equal-length operands all come up.
U128 Random128(std::mt19937_64& rng, int bits = 128) {
  const int length = static_cast<int>(rng() % (bits + 1));
  const uint64_t high = rng();
  U128 v(high, rng());
  if (length == 0) return 0;
  if (length < 128) v &= (U128{1} << length) - 1;
  return v | (U128{1} << (length - 1));
}

TEST(BigUnsignedTest, ConstructionLengthAndBitLength) {
  struct Case {
    int32_t value;
    uint32_t length;
    uint64_t bit_length;
  };
  for (const Case& c : {Case{0, 0, 0}, Case{1, 1, 1}, Case{12, 1, 4}, Case{0x7FFFFFFF, 1, 31}}) {
    const BigUnsigned value(c.value);
    EXPECT_EQ(value.length(), c.length) << c.value;
    EXPECT_EQ(value.bitLength(), c.bit_length) << c.value;
    EXPECT_EQ(To128(value), static_cast<U128>(c.value));
  }
  BigUnsigned top;
  top.setBit(31, true);
  EXPECT_EQ(top.length(), 1u);
  EXPECT_EQ(top.bitLength(), 32u);

  for (int32_t negative : {-1, INT32_MIN}) {
    ExpectError([negative] { BigUnsigned value(negative); },
                "BigUnsigned constructor: Cannot construct a BigUnsigned from a negative number");
  }
}

TEST(BigUnsignedTest, SetBitGrowsAndClearingTheTopTrims) {
  BigUnsigned value;
  value.setBit(40, true);
  EXPECT_EQ(value.length(), 2u);
  EXPECT_EQ(value.bitLength(), 41u);
  EXPECT_TRUE(value.getBit(40));
  EXPECT_FALSE(value.getBit(39));
  EXPECT_FALSE(value.getBit(0xFFFFFFFFu));

  value.setBit(3, true);
  value.setBit(3, true);
  value.setBit(200, false);  // above the top: nothing to clear
  EXPECT_EQ(To128(value), (U128{1} << 40) | 8);

  value.setBit(40, false);
  EXPECT_EQ(Blocks(value), std::vector<uint32_t>{8});
  value.setBit(3, false);
  EXPECT_EQ(value.length(), 0u);
  EXPECT_EQ(value, BigUnsigned(0));

  // A high block cleared under a set top bit stays (it is not a leading zero).
  value.setBit(70, true);
  value.setBit(40, true);
  value.setBit(40, false);
  EXPECT_EQ(Blocks(value), (std::vector<uint32_t>{0, 0, 64}));
}

TEST(BigUnsignedTest, SetLowBitsReplacesTheValueWithWholeBlocks) {
  for (uint32_t count : {0u, 1u, 31u, 32u, 33u, 64u, 65u, 100u}) {
    BigUnsigned value;
    value.setBit(300, true);  // a longer value before: it must go entirely
    value.setBit(7, true);
    value.setLowBits(count);
    EXPECT_EQ(value.bitLength(), count);
    EXPECT_EQ(value.length(), (count + 31) / 32);
    for (uint32_t i = 0; i < 340; ++i) ASSERT_EQ(value.getBit(i), i < count) << count << " " << i;
  }
}

TEST(BigUnsignedTest, OperationsAgreeWithNativeArithmetic) {
  std::mt19937_64 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    const U128 a = Random128(rng, 127);  // sums stay within 128 bits
    const U128 b = Random128(rng, 127);
    const BigUnsigned x = From128(a), y = From128(b);
    SCOPED_TRACE(Hex(a) + " " + Hex(b));

    EXPECT_EQ(To128(x + y), a + b);
    if (a >= b) {
      EXPECT_EQ(To128(x - y), a - b);
    }
    EXPECT_EQ(To128(x & y), a & b);
    EXPECT_EQ(To128(x | y), a | b);
    EXPECT_EQ(To128(x ^ y), a ^ b);
    EXPECT_EQ(x == y, a == b);
    EXPECT_EQ(x < y, a < b);
    EXPECT_EQ(y < x, b < a);
    const int shift = static_cast<int>(rng() % 140);
    EXPECT_EQ(To128(x >> shift), shift >= 128 ? 0 : a >> shift);
    EXPECT_EQ(To128(x << -shift), shift >= 128 ? 0 : a >> shift);
    const int up = shift % 64;
    EXPECT_EQ(To128((x >> 64) << up), (a >> 64) << up);
    EXPECT_EQ(To128((x >> 64) >> -up), (a >> 64) << up);
    if (b != 0) {
      EXPECT_EQ(To128(x / y), a / b);
      BigUnsigned remainder = x, quotient;
      remainder.divideWithRemainder(y, quotient);
      EXPECT_EQ(To128(quotient), a / b);
      EXPECT_EQ(To128(remainder), a % b);
    }
  }
}

TEST(BigUnsignedTest, CarriesAndBorrowsRunAcrossBlocks) {
  EXPECT_EQ(Blocks(FromBlocks({0xFFFFFFFFu}) + 1), (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(Blocks(FromBlocks({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}) + 1),
            (std::vector<uint32_t>{0, 0, 0, 1}));
  EXPECT_EQ(Blocks(FromBlocks({0, 0, 0, 1}) - 1),
            (std::vector<uint32_t>{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}));
  EXPECT_EQ((FromBlocks({5, 9}) - FromBlocks({5, 9})).length(), 0u);
}

TEST(BigUnsignedTest, SubtractionBelowZeroIsAnErrorAndLeavesTheResult) {
  const std::string message = "BigUnsigned::subtract: Negative result in unsigned calculation";
  struct Case {
    BigUnsigned a, b;
  };
  const Case cases[] = {
      {5, 7},                                       // borrow out of the only block
      {0, 1},                                       // nothing to subtract from
      {FromBlocks({0, 1}), FromBlocks({0, 0, 1})},  // fewer blocks
      {FromBlocks({9, 1}), FromBlocks({10, 1})},    // borrow out of the top block
  };
  for (const Case& c : cases) {
    ExpectError([&c] { (void)(c.a - c.b); }, message);
    BigUnsigned result = 42;
    ExpectError([&] { result.subtract(c.a, c.b); }, message);
    EXPECT_EQ(result, BigUnsigned(42));
    BigUnsigned operand = c.a;
    ExpectError([&] { operand.subtract(operand, c.b); }, message);
    EXPECT_EQ(operand, c.a);
  }
}

TEST(BigUnsignedTest, ResultMayBeAnOperand) {
  const BigUnsigned a = FromBlocks({0x80000001u, 0xFFFFFFFFu, 7});
  const BigUnsigned b = FromBlocks({0x12345678u, 0x0000FFFFu});
  using Operation = std::function<void(BigUnsigned&, const BigUnsigned&, const BigUnsigned&)>;
  const std::vector<Operation> operations = {
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned& y) { r.add(x, y); },
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned& y) { r.subtract(x, y); },
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned& y) { r.bitAnd(x, y); },
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned& y) { r.bitOr(x, y); },
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned& y) { r.bitXor(x, y); },
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned&) { r.bitShiftLeft(x, 45); },
      [](BigUnsigned& r, const BigUnsigned& x, const BigUnsigned&) { r.bitShiftRight(x, 45); },
  };
  for (std::size_t i = 0; i < operations.size(); ++i) {
    SCOPED_TRACE(i);
    BigUnsigned expected;
    operations[i](expected, a, b);

    BigUnsigned first = a;
    operations[i](first, first, b);
    EXPECT_EQ(first, expected);
    BigUnsigned second = b;
    operations[i](second, a, second);
    EXPECT_EQ(second, expected);
  }

  BigUnsigned x = a;
  x.add(x, x);  // a + a
  EXPECT_EQ(x, a << 1);
  x = FromBlocks({0, 0x00A00000u, 3});
  x = x & (x - 1);  // the lowest set bit (bit 53) cleared
  EXPECT_EQ(x, FromBlocks({0, 0x00800000u, 3}));
  x.bitAnd(x, x - 1);
  EXPECT_EQ(x, FromBlocks({0, 0, 3}));
  x = FromBlocks({0, 0x00A00000u, 3});
  EXPECT_EQ((x & (x - 1)) ^ x, FromBlocks({0, 0x00200000u}));  // the lowest set bit alone
  x.bitXor(x, x);
  EXPECT_EQ(x.length(), 0u);
}

TEST(BigUnsignedTest, AndAndXorTrimLeadingZeroBlocks) {
  const BigUnsigned a = FromBlocks({1, 0, 0xF0});
  const BigUnsigned b = FromBlocks({3, 0, 0x0F, 1});
  EXPECT_EQ(Blocks(a & b), std::vector<uint32_t>{1});
  EXPECT_EQ(Blocks(a ^ FromBlocks({0, 0, 0xF0})), std::vector<uint32_t>{1});
  EXPECT_EQ(Blocks(a | b), (std::vector<uint32_t>{3, 0, 0xFF, 1}));
}

TEST(BigUnsignedTest, Shifts) {
  EXPECT_EQ(BigUnsigned(12) >> 2, BigUnsigned(3));
  EXPECT_EQ((BigUnsigned(1) >> 40).length(), 0u);
  EXPECT_EQ(BigUnsigned(1) >> INT32_MAX, BigUnsigned(0));
  EXPECT_EQ(Blocks(BigUnsigned(3) << 63), (std::vector<uint32_t>{0, 0x80000000u, 1}));
  EXPECT_EQ(BigUnsigned(3) >> -63, BigUnsigned(3) << 63);
  EXPECT_EQ((BigUnsigned(3) << 63) << -63, BigUnsigned(3));
  EXPECT_EQ(BigUnsigned(0) << INT32_MAX, BigUnsigned(0));  // nothing to allocate
  EXPECT_EQ(BigUnsigned(5) << 0, BigUnsigned(5));

  ExpectError([] { (void)(BigUnsigned(1) >> INT32_MIN); },
              "BigUnsigned::bitShiftRight: Pathological shift amount not implemented");
  ExpectError([] { (void)(BigUnsigned(1) << INT32_MIN); },
              "BigUnsigned::bitShiftLeft: Pathological shift amount not implemented");
}

TEST(BigUnsignedTest, DivisionErrorsAndDegenerateCases) {
  ExpectError([] { (void)(BigUnsigned(7) / BigUnsigned(0)); },
              "BigUnsigned::operator /: division by zero");
  EXPECT_EQ(BigUnsigned(7) / BigUnsigned(2), BigUnsigned(3));

  BigUnsigned a = 17;
  ExpectError([&a] { a.divideWithRemainder(BigUnsigned(5), a); },
              "BigUnsigned::divideWithRemainder: Cannot write quotient and remainder into the "
              "same variable");
  EXPECT_EQ(a, BigUnsigned(17));

  struct Case {
    BigUnsigned dividend, divisor;
  };
  for (const Case& c : {Case{17, 0}, Case{0, 0}, Case{17, 18}, Case{5, FromBlocks({5, 1})}}) {
    BigUnsigned remainder = c.dividend, quotient = 99;
    remainder.divideWithRemainder(c.divisor, quotient);
    EXPECT_EQ(quotient.length(), 0u);
    EXPECT_EQ(remainder, c.dividend);
  }

  BigUnsigned quotient = 99;
  a = FromBlocks({3, 4});
  a.divideWithRemainder(a, quotient);  // the divisor is the remainder's own object
  EXPECT_EQ(quotient, BigUnsigned(1));
  EXPECT_EQ(a.length(), 0u);

  a = 17;
  quotient = 5;
  a.divideWithRemainder(quotient, quotient);  // the divisor is the quotient's object
  EXPECT_EQ(quotient, BigUnsigned(3));
  EXPECT_EQ(a, BigUnsigned(2));
}

// Long division on values of several blocks: dividend = q * b + r with r < b
// gives back q and r. Divisors include single blocks, top blocks of 1 and of all
// ones, and blocks of zeros, where a bit-by-bit division goes wrong first.
TEST(BigUnsignedTest, LongDivisionOnManyBlocks) {
  std::mt19937 rng(99);
  auto random_value = [&rng](uint32_t blocks) {
    std::vector<uint32_t> v(blocks);
    for (uint32_t& block : v) {
      switch (rng() % 4) {
        case 0:
          block = 0;
          break;
        case 1:
          block = 0xFFFFFFFFu;
          break;
        case 2:
          block = 1;
          break;
        default:
          block = static_cast<uint32_t>(rng());
      }
    }
    if (blocks > 0 && v.back() == 0) v.back() = 1 + rng() % 3;
    return FromBlocks(v);
  };
  for (int round = 0; round < 300; ++round) {
    const BigUnsigned divisor = random_value(1 + rng() % 4);
    const BigUnsigned expected_quotient = random_value(rng() % 5);
    BigUnsigned expected_remainder = random_value(1 + rng() % 4);
    BigUnsigned ignored;
    expected_remainder.divideWithRemainder(divisor, ignored);  // now below the divisor
    ASSERT_TRUE(expected_remainder < divisor);
    const BigUnsigned dividend = Multiply(expected_quotient, divisor) + expected_remainder;

    BigUnsigned remainder = dividend, quotient;
    remainder.divideWithRemainder(divisor, quotient);
    ASSERT_EQ(Blocks(quotient), Blocks(expected_quotient)) << round;
    ASSERT_EQ(Blocks(remainder), Blocks(expected_remainder)) << round;
    ASSERT_EQ(dividend / divisor, expected_quotient);
  }
}

// The step exactly as written with the operators: c = (x & (x - 1)) ^ x,
// r = x + c, x = r | (((x ^ r) >> 2) / c).
BigUnsigned LiteralStep(const BigUnsigned& x) {
  const BigUnsigned one = 1;
  const BigUnsigned c = (x & (x - one)) ^ x;
  const BigUnsigned r = x + c;
  return r | (((x ^ r) >> 2) / c);
}

TEST(BigUnsignedTest, NextWithSameBitCountMatchesTheArithmeticStep) {
  std::mt19937 rng(7);
  std::vector<BigUnsigned> masks;
  // Runs of set bits of every length starting at every bit near block edges,
  // with and without bits above them.
  for (uint32_t t : {0u, 1u, 2u, 3u, 30u, 31u, 32u, 33u, 63u, 64u, 95u}) {
    for (uint32_t m : {1u, 2u, 3u, 29u, 31u, 32u, 33u, 64u, 65u}) {
      for (int above = 0; above < 3; ++above) {
        BigUnsigned x;
        for (uint32_t i = t; i < t + m; ++i) x.setBit(i, true);
        if (above == 1) x.setBit(t + m + 1, true);
        if (above == 2) x.setBit(t + m + 40 + rng() % 70, true);
        masks.push_back(x);
      }
    }
  }
  for (int i = 0; i < 500; ++i) {
    std::vector<uint32_t> blocks(1 + rng() % 6);
    for (uint32_t& block : blocks) {
      const uint32_t r = static_cast<uint32_t>(rng());
      block = rng() % 3 == 0 ? 0 : (rng() % 3 == 0 ? 0xFFFFFFFFu : r);
    }
    blocks.back() |= 1u << (rng() % 32);
    masks.push_back(FromBlocks(blocks));
  }

  for (const BigUnsigned& mask : masks) {
    BigUnsigned fast = mask;
    ASSERT_TRUE(fast.nextWithSameBitCount());
    const BigUnsigned literal = LiteralStep(mask);
    ASSERT_EQ(Blocks(fast), Blocks(literal)) << "mask blocks " << mask.length();
  }

  // A long walk from a few starting masks, one step after another.
  for (const BigUnsigned& start :
       {FromBlocks({0x7}), FromBlocks({0xFFFFFFFFu, 1}), FromBlocks({0x80000001u, 0x3})}) {
    BigUnsigned fast = start, literal = start;
    for (int step = 0; step < 3000; ++step) {
      ASSERT_TRUE(fast.nextWithSameBitCount());
      literal = LiteralStep(literal);
      ASSERT_EQ(Blocks(fast), Blocks(literal)) << step;
    }
  }

  BigUnsigned zero;
  EXPECT_TRUE(zero.nextWithSameBitCount());
  EXPECT_EQ(zero.length(), 0u);
}

}  // namespace

}  // namespace tallyra
