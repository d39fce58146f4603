#include "runtime/Binomial.h"

#include <array>
#include <cstring>

namespace tallyra {

namespace binomial_detail {
namespace {

// Polynomials with coefficients modulo 2^32, lowest degree first.
constexpr int kDegrees = 33;  // degrees 0 .. 32
using Poly = std::array<uint32_t, kDegrees>;

// For s = 1 .. 32 the product of the odd numbers of one aligned block of 2^s
// numbers, as a polynomial in the block's start divided by 2^s:
//   R_s(u) = product over odd o < 2^s of (2^s * u + o)   (mod 2^32).
// The coefficient of u^d is a multiple of 2^(s*d), so every term of degree 32
// or more vanishes and 33 coefficients hold R_s exactly. Since the odd numbers
// below 2^(s+1) are those below 2^s and those 2^s above them,
//   R_(s+1)(v) = R_s(2v) * R_s(2v + 1),
// which builds every level from R_1(u) = 2u + 1.
struct BlockProducts {
  std::array<Poly, 33> level;          // level[s] = R_s; level[0] unused
  std::array<int, 33> highest_degree;  // of level[s], past which every coefficient is 0

  BlockProducts();
};

Poly Multiply(const Poly& a, const Poly& b) {
  Poly c{};
  for (int i = 0; i < kDegrees; ++i) {
    if (a[i] == 0) continue;
    for (int j = 0; i + j < kDegrees; ++j) c[i + j] += a[i] * b[j];
  }
  return c;
}

// p(2v + add) for add 0 or 1, by Horner's rule in polynomials.
Poly SubstituteTwiceVPlus(const Poly& p, uint32_t add) {
  Poly result{};
  for (int d = kDegrees - 1; d >= 0; --d) {
    // result = result * (2v + add) + p[d]
    for (int i = kDegrees - 1; i >= 1; --i) result[i] = result[i] * add + result[i - 1] * 2u;
    result[0] = result[0] * add + p[d];
  }
  return result;
}

BlockProducts::BlockProducts() : level{}, highest_degree{} {
  level[1][0] = 1;
  level[1][1] = 2;
  for (int s = 1; s < 32; ++s) {
    level[s + 1] = Multiply(SubstituteTwiceVPlus(level[s], 0), SubstituteTwiceVPlus(level[s], 1));
  }
  for (int s = 1; s <= 32; ++s) {
    int d = kDegrees - 1;
    while (d > 0 && level[s][d] == 0) --d;
    highest_degree[s] = d;
  }
}

const BlockProducts& Blocks() {
  static const BlockProducts blocks;  // built once, on first use
  return blocks;
}

uint32_t Evaluate(const BlockProducts& blocks, int s, uint32_t u) {
  const Poly& p = blocks.level[s];
  uint32_t value = 0;
  for (int d = blocks.highest_degree[s]; d >= 0; --d) value = value * u + p[d];
  return value;
}

int PopCount(uint32_t x) {
  int count = 0;
  for (; x != 0; x &= x - 1) ++count;
  return count;
}

}  // namespace

uint32_t OddProductUpTo(uint32_t x) {
  // Split 0 .. x into aligned blocks along the bits of x + 1, largest first:
  // the block of bit s starts at a multiple of 2^(s+1) and holds 2^s numbers.
  // The block of bit 0 is one even number and adds nothing.
  const BlockProducts& blocks = Blocks();
  const uint64_t count = uint64_t{x} + 1;
  uint64_t start = 0;
  uint32_t product = 1;
  for (int s = 32; s >= 1; --s) {
    if (((count >> s) & 1) == 0) continue;
    product *= Evaluate(blocks, s, static_cast<uint32_t>(start >> s));
    start += uint64_t{1} << s;
  }
  return product;
}

uint32_t OddPartOfFactorial(uint32_t m) {
  // Each i <= m is 2^j times an odd o with o <= m >> j, so the odd parts of
  // 1 .. m multiply to the product over j of OddProductUpTo(m >> j).
  uint32_t product = 1;
  for (; m > 1; m >>= 1) product *= OddProductUpTo(m);
  return product;
}

uint32_t InverseOfOdd(uint32_t odd) {
  uint32_t inverse = odd;  // right in the lowest 3 bits, as odd * odd = 1 mod 8
  for (int i = 0; i < 4; ++i) inverse *= 2u - odd * inverse;  // each step doubles the bits
  return inverse;
}

uint32_t BinomialModulo32(uint32_t n, uint32_t k) {
  const uint32_t rest = n - k;
  // The power of 2 in n over k is the number of carries when adding k and n-k.
  const int twos = PopCount(k) + PopCount(rest) - PopCount(n);
  if (twos >= 32) return 0;
  const uint32_t odd = OddPartOfFactorial(n) * InverseOfOdd(OddPartOfFactorial(k)) *
                       InverseOfOdd(OddPartOfFactorial(rest));
  return odd << twos;
}

}  // namespace binomial_detail

int32_t Binomial(int32_t n, int32_t k) {
  if (k == 0) return 1;
  if (k < 0) return 0;
  uint32_t value;
  if (n >= 0) {
    if (k > n) return 0;
    value = binomial_detail::BinomialModulo32(static_cast<uint32_t>(n), static_cast<uint32_t>(k));
  } else {
    // n(n-1)...(n-k+1)/k! = (-1)^k * ((k-n-1) over k); k-n-1 < 2^32 - 1.
    const auto top = static_cast<uint32_t>(int64_t{k} - n - 1);
    value = binomial_detail::BinomialModulo32(top, static_cast<uint32_t>(k));
    if ((k & 1) != 0) value = 0u - value;
  }
  int32_t result;
  std::memcpy(&result, &value, sizeof result);  // the 32 bits read as signed
  return result;
}

}  // namespace tallyra
