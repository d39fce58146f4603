// PrimeList: the unbounded list of the primes in increasing order (element 0 is
// 2). It grows when an index past what it holds is asked for, and what it has
// found serves every later read. Each instance has one, under three names.
//
// The primes below 2^32 are kept as a sieve bitmap over the numbers coprime to
// 30 (one bit per candidate) with a sampled index from prime numbers to bit
// positions, so that all 203,280,221 of them fit in a fraction of the memory of
// a plain array. Past the last prime below 2^32 (index 203,280,220) every
// element is the None element: the list never wraps around.
#ifndef TALLYRA_LISTS_PRIMELIST_H_
#define TALLYRA_LISTS_PRIMELIST_H_

#include <cstdint>
#include <memory>

#include "lists/List.h"

class PrimeList final : public List {
 public:
  // The index of 4294967291, the last prime below 2^32.
  static constexpr uint32_t kLastIndex = 203280220;

  PrimeList();
  ~PrimeList() override;

  int32_t Length() override { return -1; }
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }

  // The prime at index (0 past kLastIndex), growing the table as needed.
  uint32_t PrimeAt(uint32_t index);

  // How many primes are known without further growth.
  uint64_t KnownCount() const;

  // Bytes held by the table of primes (for the memory goals).
  uint64_t MemoryBytes() const;

 private:
  struct Table;
  std::unique_ptr<Table> table_;
};

#endif  // TALLYRA_LISTS_PRIMELIST_H_
