// PrimeTable: the primes below 2^32 as a bitmap of the numbers coprime to 30
// (PrimeSieve's layout) with a rank index, grown on demand one segment at a
// time. The layout is explained in doc/prime-table.md.
//
// One table serves the whole module: Shared() hands out shared ownership of
// the live table (creating it when none is alive), and the table is released
// when the last owner lets go. The bitmap lies in fixed-size chunks that are
// never moved or freed while the table lives, so whatever was read stays
// true. Not thread-safe (the host calls from one thread).
//
// Growing never throws: when memory runs short, Cover answers false and the
// table stays as it was; a later call tries again.
#ifndef TALLYRA_LISTS_PRIMETABLE_H_
#define TALLYRA_LISTS_PRIMETABLE_H_

#include <cstdint>
#include <memory>

#include "lists/PrimeSieve.h"

class PrimeTable {
 public:
  // The index of 4294967291, the last prime below 2^32.
  static constexpr uint32_t kLastIndex = 203280220;
  // Layout, for tests that probe its boundaries.
  static constexpr uint32_t kLineWords = 8;            // 64 bytes, 1920 numbers
  static constexpr uint32_t kSegmentWords = 1u << 15;  // sieved at once: 256 KB, 7,864,320 numbers
  static constexpr uint32_t kSegmentNumbers = kSegmentWords * PrimeSieve::kWordNumbers;
  static constexpr uint32_t kChunkWords = 1u << 18;  // allocated at once: 2 MB, 8 segments

  // The module's table.
  static std::shared_ptr<PrimeTable> Shared();
  // Bytes held by the module's table; 0 when none is alive.
  static uint64_t LiveBytes();
  // Makes growth fail while the table would hold more than this many bytes
  // (for tests of memory shortage); ~0 lifts the limit.
  static void SetGrowthLimitForTesting(uint64_t bytes);

  PrimeTable();
  ~PrimeTable();
  PrimeTable(const PrimeTable&) = delete;
  PrimeTable& operator=(const PrimeTable&) = delete;

  // How many primes (from 2 on) the table holds.
  uint64_t Count() const { return 3 + uint64_t{ranks_end_}; }
  // Grows the table until it holds index (at most kLastIndex); false when
  // memory for it cannot be had.
  bool Cover(uint32_t index) { return index < Count() || Grow(index); }
  // The prime at a held index.
  uint32_t PrimeAt(uint32_t index) const;
  // Writes the primes of the line that holds index (at least 3) to out (room
  // for kLinePrimes); answers how many, and the index of the first in *first.
  static constexpr uint32_t kLinePrimes = kLineWords * 64;
  uint32_t DecodeLine(uint32_t index, uint32_t* out, uint32_t* first) const;

  uint64_t MemoryBytes() const;

 private:
  struct Chunk;
  struct ChunkFree {
    void operator()(Chunk* chunk) const;
  };

  bool Grow(uint32_t index);
  bool SieveNextSegment();
  // The line holding the table's bitmap prime j (the primes from 7 on).
  uint32_t LineOf(uint32_t j) const;
  uint32_t RankOf(uint32_t line) const;
  const uint64_t* LineWords(uint32_t line) const;

  static constexpr uint32_t kChunkLines = kChunkWords / kLineWords;
  static constexpr uint32_t kChunkCount = (PrimeSieve::kTotalWords + kChunkWords - 1) / kChunkWords;
  static constexpr uint32_t kSampleShift = 10;  // the line of every 1024th prime
  static constexpr uint32_t kSampleCount = ((kLastIndex - 3) >> kSampleShift) + 1;

  std::unique_ptr<Chunk, ChunkFree> chunks_[kChunkCount];
  std::unique_ptr<uint32_t[]> samples_;  // samples_[s]: the line holding bitmap prime s << shift
  std::unique_ptr<PrimeSieve> sieve_;    // while the table is not complete
  uint32_t chunks_held_ = 0;             // chunks allocated
  uint32_t words_done_ = 0;              // words sieved and ranked
  uint32_t lines_done_ = 0;              // lines in them
  uint32_t ranks_end_ = 0;               // bitmap primes in them
};

#endif  // TALLYRA_LISTS_PRIMETABLE_H_
