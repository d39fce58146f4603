#include "lists/testing/ReferencePrimes.h"

#include <algorithm>
#include <cstddef>

namespace tallyra {

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

std::vector<uint32_t> PrimesBetween(uint64_t lo, uint64_t hi) {
  static const std::vector<uint32_t> small = SievedPrimes(1u << 16);
  std::vector<bool> composite(static_cast<size_t>(hi - lo), false);
  for (uint64_t p : small) {
    for (uint64_t m = std::max(p * p, (lo + p - 1) / p * p); m < hi; m += p) {
      composite[static_cast<size_t>(m - lo)] = true;
    }
  }
  std::vector<uint32_t> primes;
  for (uint64_t n = std::max<uint64_t>(lo, 2); n < hi; ++n) {
    if (!composite[static_cast<size_t>(n - lo)]) primes.push_back(static_cast<uint32_t>(n));
  }
  return primes;
}

}  // namespace tallyra
