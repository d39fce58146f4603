// Primes found independently of the prime table, for its tests: a plain sieve
// from 0, and the primes of a window anywhere below 2^32.
#ifndef TALLYRA_LISTS_TESTING_REFERENCEPRIMES_H_
#define TALLYRA_LISTS_TESTING_REFERENCEPRIMES_H_

#include <cstdint>
#include <vector>

namespace tallyra {

// The primes below limit, by the odd-only sieve of Eratosthenes.
std::vector<uint32_t> SievedPrimes(uint32_t limit);

// The primes in [lo, hi) (hi at most 2^32), by crossing off the multiples of
// the primes below 2^16.
std::vector<uint32_t> PrimesBetween(uint64_t lo, uint64_t hi);

}  // namespace tallyra

#endif  // TALLYRA_LISTS_TESTING_REFERENCEPRIMES_H_
