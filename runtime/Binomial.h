// Binomial(n, k): the binomial coefficient behind "BinomialCoefficient(", in
// wrapping 32-bit arithmetic.
//
// It answers what the recursion B(n, 0) = 1, B(0, k) = 0 for k != 0, and
// B(n, k) = B(n-1, k-1) + B(n-1, k) (added modulo 2^32) gives: for n >= 0 the
// coefficient n over k reduced modulo 2^32 and read as signed, 0 for k < 0 and
// for k > n, 1 for k = 0. For n < 0, where that recursion never ends, it
// answers the generalised coefficient n(n-1)...(n-k+1)/k! for k > 0 (which
// obeys the same recursion), 1 for k = 0 and 0 for k < 0, reduced the same way.
//
// Any pair of 32-bit arguments takes a few thousand multiplications: the odd
// parts of the factorials are built from products of odd numbers over aligned
// power-of-two blocks, each block one evaluation of a short polynomial that is
// computed once, on first use.
#ifndef TALLYRA_RUNTIME_BINOMIAL_H_
#define TALLYRA_RUNTIME_BINOMIAL_H_

#include <cstdint>

namespace tallyra {

int32_t Binomial(int32_t n, int32_t k);

// The parts that Binomial is made of, exposed for tests and benchmarks.
namespace binomial_detail {

// The product of the odd numbers 1, 3, ..., up to and including x, mod 2^32.
uint32_t OddProductUpTo(uint32_t x);

// The odd part of m!, mod 2^32.
uint32_t OddPartOfFactorial(uint32_t m);

// The inverse of an odd number modulo 2^32.
uint32_t InverseOfOdd(uint32_t odd);

// N over K modulo 2^32 for K <= N < 2^32.
uint32_t BinomialModulo32(uint32_t n, uint32_t k);

}  // namespace binomial_detail

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_BINOMIAL_H_
