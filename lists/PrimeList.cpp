#include "lists/PrimeList.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

// The primes below 256, which the table starts with.
constexpr uint8_t kSmallPrimes[] = {
    2,   3,   5,   7,   11,  13,  17,  19,  23,  29,  31,  37,  41,  43,  47,  53,  59,  61,
    67,  71,  73,  79,  83,  89,  97,  101, 103, 107, 109, 113, 127, 131, 137, 139, 149, 151,
    157, 163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, 229, 233, 239, 241, 251};

constexpr uint64_t kLimit = uint64_t{1} << 32;  // every prime found lies below
constexpr uint32_t kSegmentNumbers = 1u << 16;  // numbers sieved per step

}  // namespace

// The primes found so far, in order, and the bound below which all are known.
struct PrimeList::Table {
  std::vector<uint32_t> primes;
  uint64_t sieved_to = 256;  // every prime below this is in `primes`

  // Sieves the next segment [sieved_to, sieved_to + kSegmentNumbers) and appends
  // its primes. The primes below sieved_to cover the square root of the segment's end.
  void SieveNext() {
    const uint64_t lo = sieved_to;
    const uint64_t hi = std::min(lo + kSegmentNumbers, kLimit);
    std::vector<uint8_t> composite(static_cast<size_t>(hi - lo), 0);
    for (uint32_t p : primes) {
      const uint64_t pp = uint64_t{p} * p;
      if (pp >= hi) break;
      uint64_t start = std::max(pp, (lo + p - 1) / p * p);
      for (uint64_t m = start; m < hi; m += p) composite[static_cast<size_t>(m - lo)] = 1;
    }
    const size_t before = primes.size();
    try {
      for (uint64_t n = lo; n < hi; ++n) {
        if (!composite[static_cast<size_t>(n - lo)]) primes.push_back(static_cast<uint32_t>(n));
      }
    } catch (...) {
      primes.resize(before);  // a segment is added whole or not at all
      throw;
    }
    sieved_to = hi;
  }
};

PrimeList::PrimeList() : table_(new Table) {
  table_->primes.assign(std::begin(kSmallPrimes), std::end(kSmallPrimes));
}

PrimeList::~PrimeList() = default;

uint32_t PrimeList::PrimeAt(uint32_t index) {
  Table& t = *table_;
  if (index > kLastIndex) return 0;
  try {
    while (index >= t.primes.size() && t.sieved_to < kLimit) t.SieveNext();
  } catch (const std::bad_alloc&) {
    return 0;  // out of memory: the table keeps what it had
  }
  return index < t.primes.size() ? t.primes[index] : 0;
}

Element PrimeList::ElementAt(uint32_t index) {
  const uint32_t prime = PrimeAt(index);
  if (prime == 0) return Element::None();
  return Element::Number(static_cast<double>(prime));
}

uint64_t PrimeList::KnownCount() const { return table_->primes.size(); }

uint64_t PrimeList::MemoryBytes() const { return table_->primes.capacity() * sizeof(uint32_t); }
