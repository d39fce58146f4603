// PrimeList: the unbounded list of the primes in increasing order (element 0 is
// 2). It grows when an index past what it holds is asked for, and what it has
// found serves every later read. Each instance has one, under three names.
//
// The primes below 2^32 are found by a segmented sieve over the numbers coprime
// to 30, one segment (7,864,320 numbers, about half a million primes) at a time
// and only as far as an index asked for needs. They are kept in 64-byte blocks of 49 primes each:
// the first prime of the block, the 48 gaps after it, halved (every gap between odd primes below
// 2^32 is even and at most 336, so half of it fits a byte), and the running sum of the gaps after
// every eighth. All 203,280,221 primes take about 266 MB, against 813 MB for a plain array, in
// fixed-size chunks that are never moved or copied. Element i lies in block (i - 1) / 49 at a place
// computed from i, so a read touches one cache line and adds at most seven gaps, of one word, to a
// stored sum. The sieve's working memory (its primes, patterns, segment and decoding buffer) is
// about 420 KB.
//
// Past the last prime below 2^32 (index 203,280,220) every element is the None
// element: the list never wraps around.
//
// Reads of nearby indices are served from a small window holding the decoded
// primes of one block, so reading in index order (either way) costs little
// more than reading an array.
//
// Growing never throws: when memory runs short the read answers 0 (None) and
// the table stays as it was. Not thread-safe: reading may grow the table and
// moves the window.
#ifndef TALLYRA_LISTS_PRIMELIST_H_
#define TALLYRA_LISTS_PRIMELIST_H_

#include <cstdint>
#include <memory>

#include "lists/List.h"

class PrimeList final : public List {
 public:
  // The index of 4294967291, the last prime below 2^32.
  static constexpr uint32_t kLastIndex = 203280220;
  // The table starts with the primes below 256 (indices 0 to 53).
  static constexpr uint32_t kStartCount = 54;

  // Layout of the table, for tests that probe its boundaries.
  static constexpr uint32_t kSegmentNumbers = 7864320;   // sieved in one step (256 KB of bits)
  static constexpr uint32_t kPrimesPerBlock = 49;        // primes from 3 on, 49 to a block
  static constexpr uint32_t kBlocksPerChunk = 1u << 15;  // allocated at once (2 MB)

  PrimeList();
  ~PrimeList() override;

  int32_t Length() override { return -1; }
  // Charges work_cost::kPrimeRead; growing the table is not charged (it
  // happens at most once for each prime below 2^32).
  Element ElementAt(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ToConcrete(WorkBudget&) override { return nullptr; }

  // The prime at index (0 past kLastIndex, or when memory for growing the table
  // cannot be had, the table then unchanged), growing the table as needed.
  uint32_t PrimeAt(uint32_t index) {
    const uint32_t k = index - window_first_;
    if (k < window_count_) return window_[k];
    return PrimeAtSlow(index);
  }

  // How many primes are known without further growth.
  uint64_t KnownCount() const;

  // Bytes held by the table of primes (for the memory goals).
  uint64_t MemoryBytes() const;

 private:
  struct Table;

  uint32_t PrimeAtSlow(uint32_t index);  // a covered index outside the window
  uint32_t PrimeAtRare(uint32_t index);  // the first prime, past the end, or growth

  std::unique_ptr<Table> table_;
  // Decoded primes for indices window_first_ .. window_first_ + window_count_ - 1.
  uint32_t window_first_ = 0;
  uint32_t window_count_ = 0;
  static constexpr uint32_t kWindowSize =
      kPrimesPerBlock > kStartCount ? kPrimesPerBlock : kStartCount;
  uint32_t window_[kWindowSize];
};

#endif  // TALLYRA_LISTS_PRIMELIST_H_
