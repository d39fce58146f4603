// PrimeTable: the primes below 2^32 as a bitmap of the numbers coprime to 30
// (PrimeSieve's layout) with a select index (where the bit of every 128th
// prime lies), grown on demand one segment at a time. The layout is explained
// in doc/prime-table.md.
//
// One table serves the whole module: Shared() hands out shared ownership of
// the live table (creating it when none is alive), and the table is released
// when the last owner lets go. Its memory lies in fixed-size blocks that are
// never moved or freed while the table lives, and what the table holds never
// changes. Not thread-safe (the host calls from one thread).
//
// Growing never throws: when memory runs short, Cover answers false and the
// table keeps what it holds; a later call tries again.
#ifndef TALLYRA_LISTS_PRIMETABLE_H_
#define TALLYRA_LISTS_PRIMETABLE_H_

#include <cstdint>
#include <memory>

#include "lists/PrimeSieve.h"

namespace tallyra {

class PrimeTable {
 public:
  // The index of 4294967291, the last prime below 2^32.
  static constexpr uint32_t kLastIndex = 203280220;
  // Layout, for tests that probe its boundaries.
  static constexpr uint32_t kSegmentWords = 1u << 15;  // sieved at once: 256 KB, 7,864,320 numbers
  static constexpr uint32_t kSegmentNumbers = kSegmentWords * PrimeSieve::kWordNumbers;
  static constexpr uint32_t kChunkWords = 1u << 18;  // allocated at once: 2 MB, 8 segments
  static constexpr uint32_t kGroupShift = 7;         // primes are found from every 128th
  static constexpr uint32_t kGroupPrimes = 1u << kGroupShift;

  // The module's table.
  static std::shared_ptr<PrimeTable> Shared();
  // Bytes held by the module's table; 0 when none is alive.
  static uint64_t LiveBytes();
  // Makes growth fail while the table would hold more than this many bytes
  // (for tests of memory shortage); ~0 lifts the limit. A test hook
  // (cmake/TestHooks.cmake): defined only in programs built with the hooks.
  static void SetGrowthLimitForTesting(uint64_t bytes);

  PrimeTable();
  ~PrimeTable();
  PrimeTable(const PrimeTable&) = delete;
  PrimeTable& operator=(const PrimeTable&) = delete;

  // How many primes (from 2 on) the table holds.
  uint64_t Count() const { return 3 + uint64_t{bitmap_primes_}; }
  // Grows the table until it holds index (at most kLastIndex); false when
  // memory for it cannot be had.
  bool Cover(uint32_t index) { return index < Count() || Grow(index); }
  // The prime at a held index.
  uint32_t PrimeAt(uint32_t index) const;
  // Writes the primes from the first of the group of kGroupPrimes that holds
  // a held index (at least 3) to the end of the word where the group ends, to
  // out (room for kDecodedMost); answers how many, and the index of the first
  // in *first.
  static constexpr uint32_t kDecodedMost = kGroupPrimes + 64 + 8;
  uint32_t DecodeGroup(uint32_t index, uint32_t* out, uint32_t* first) const;

  uint64_t MemoryBytes() const;

 private:
  struct Free {
    void operator()(void* memory) const;
  };

  bool Grow(uint32_t index);
  bool SieveNextSegment();
  uint64_t Word(uint32_t w) const { return chunks_[w / kChunkWords].get()[w % kChunkWords]; }
  // Where the bit of bitmap prime s << kGroupShift lies (the primes from 7 on).
  uint32_t GroupStart(uint32_t s) const {
    return samples_[s / kSampleBlock].get()[s % kSampleBlock];
  }

  static constexpr uint32_t kChunkCount = (PrimeSieve::kTotalWords + kChunkWords - 1) / kChunkWords;
  static constexpr uint32_t kGroupCount = ((kLastIndex - 3) >> kGroupShift) + 1;
  static constexpr uint32_t kSampleBlock = 1u << 19;  // 2 MB of them allocated at once
  static constexpr uint32_t kSampleBlocks = (kGroupCount + kSampleBlock - 1) / kSampleBlock;

  std::unique_ptr<uint64_t, Free> chunks_[kChunkCount];     // the bitmap
  std::unique_ptr<uint32_t, Free> samples_[kSampleBlocks];  // the groups' first bits
  std::unique_ptr<PrimeSieve> sieve_;                       // while the table is not complete
  uint32_t blocks_held_ = 0;                                // chunks and sample blocks allocated
  uint32_t words_done_ = 0;                                 // words sieved
  uint32_t bitmap_primes_ = 0;                              // primes in them
};

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMETABLE_H_
