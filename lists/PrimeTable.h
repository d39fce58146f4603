// PrimeTable: the primes below 2^32 in blocks of PrimeBlock::kPrimes, each one
// cache line, so that the place of a prime follows from its index alone. The
// table grows on demand, each chunk of blocks coded from its start on: the
// sieve fills a segment of its bitmap, which is coded into blocks while it
// is still in cache. A read far past what is coded only counts the primes of
// the segments before it (the count of each is kept), and codes the chunk
// that it falls in from there. The layout is explained in doc/prime-table.md.
//
// One table serves the whole module: Shared() hands out shared ownership of
// the live table (creating it when none is alive), and the table is released
// when the last owner lets go. Its blocks lie in fixed-size chunks that are
// never moved or freed while the table lives, and what the table holds never
// changes. The sieve with its segment (the builder) lives only while the table
// is not complete. Not thread-safe (the host calls from one thread).
//
// Growing never throws: when memory runs short, Cover answers false and the
// table keeps what it holds; a later call goes on from there.
#ifndef TALLYRA_LISTS_PRIMETABLE_H_
#define TALLYRA_LISTS_PRIMETABLE_H_

#include <cstdint>
#include <memory>

#include "lists/PrimeBlock.h"
#include "lists/PrimeSieve.h"

namespace tallyra {

class PrimeTable {
 public:
  // The index of 4294967291, the last prime below 2^32.
  static constexpr uint32_t kLastIndex = 203280220;
  // Layout, for tests that probe its boundaries.
  static constexpr uint32_t kSegmentWords = 1u << 15;  // sieved at once: 256 KB, 7,864,320 numbers
  static constexpr uint32_t kSegmentNumbers = kSegmentWords * PrimeSieve::kWordNumbers;
  static constexpr uint32_t kBlockPrimes = PrimeBlock::kPrimes;
  static constexpr uint32_t kChunkBlocks = 1u << 15;  // allocated at once: 2 MB

  // The module's table.
  static std::shared_ptr<PrimeTable> Shared();
  // Bytes held by the module's table; 0 when none is alive.
  static uint64_t LiveBytes();
  // Makes growth fail while the table would hold more than this many bytes
  // (for tests of memory shortage); ~0 lifts the limit. A test hook
  // (cmake/TestHooks.cmake): defined only in programs built with the hooks.
  static void SetGrowthLimitForTesting(uint64_t bytes);
  // Makes tables created from now on read their blocks the portable way
  // (for measuring it where the processor has the fast one). A test hook.
  static void ReadPortablyForTesting(bool portable);

  PrimeTable();
  ~PrimeTable();
  PrimeTable(const PrimeTable&) = delete;
  PrimeTable& operator=(const PrimeTable&) = delete;

  // How many primes (from 2 on) the table holds, wherever they lie.
  uint64_t HeldCount() const { return 3 + held_primes_; }
  // Whether the prime at index is held (read without growth).
  bool Holds(uint32_t index) const {
    if (index < 3) return true;
    if (index > kLastIndex) return false;
    const uint32_t b = (index - 3) / kBlockPrimes;
    return b % kChunkBlocks < held_[b / kChunkBlocks];
  }
  // Whether every index up to this one is held (a quick test; false does
  // not mean that it is not held).
  bool HeldFromStart(uint32_t index) const { return index < held_from_start_; }
  // Grows the table until it holds index (at most kLastIndex); false when
  // memory for it cannot be had.
  bool Cover(uint32_t index) { return Holds(index) || Grow(index); }
  // Grows the table until it holds every prime below 2^32, each chunk on
  // from where it stands, in index order (from a new table, one pass of the
  // sieve); false when memory for it cannot be had.
  bool CoverAll();
  // The prime at a held index.
  uint32_t PrimeAt(uint32_t index) const {
    if (index < 3) return index == 0 ? 2 : index == 1 ? 3 : 5;
    const uint32_t j = index - 3;
    const PrimeBlock& block = Block(j / kBlockPrimes);
    return reader_.number_at(block, j % kBlockPrimes);
  }
  // Writes the primes of the block that holds a held index (at least 3) to
  // out (room for kDecodedMost); answers how many, and the index of the first
  // in *first.
  static constexpr uint32_t kDecodedMost = kBlockPrimes;
  uint32_t DecodeBlock(uint32_t index, uint32_t* out, uint32_t* first) const {
    const uint32_t b = (index - 3) / kBlockPrimes;
    *first = 3 + b * kBlockPrimes;
    return reader_.decode(Block(b), out);
  }

  // The block that holds a held index (at least 3), for tests that read it
  // each way.
  const PrimeBlock& BlockOf(uint32_t index) const { return Block((index - 3) / kBlockPrimes); }

  uint64_t MemoryBytes() const;

 private:
  struct FreeChunk {
    void operator()(PrimeBlock* chunk) const;
  };
  class Builder;  // the sieve, its segment and the block being gathered

  bool Grow(uint32_t index);
  void FindHeldFromStart();
  bool CodeMore(uint32_t chunk);
  bool PlaceBuilder(uint32_t block);
  uint32_t SieveSegment(uint32_t segment);
  bool AddBlock(uint32_t block, const uint32_t* positions, uint32_t count);
  bool AllowGrowth(uint64_t bytes) const;
  const PrimeBlock& Block(uint32_t b) const {
    return chunks_[b / kChunkBlocks].get()[b % kChunkBlocks];
  }

  static constexpr uint32_t kBitmapPrimes = kLastIndex - 2;  // from 7 on
  static constexpr uint32_t kBlockCount = (kBitmapPrimes + kBlockPrimes - 1) / kBlockPrimes;
  static constexpr uint32_t kChunkCount = (kBlockCount + kChunkBlocks - 1) / kChunkBlocks;
  static constexpr uint32_t kSegmentCount =
      (PrimeSieve::kTotalWords + kSegmentWords - 1) / kSegmentWords;

  const PrimeBlock::Reader reader_;  // the processor's, chosen once
  std::unique_ptr<PrimeBlock, FreeChunk> chunks_[kChunkCount];
  std::unique_ptr<Builder> builder_;  // while the table is not complete
  uint32_t chunks_held_ = 0;
  // The blocks coded in each chunk: always those from its start.
  uint32_t held_[kChunkCount] = {};
  uint32_t held_primes_ = 0;  // in them (from 7 on)
  // Every index below it is held; the chunks before prefix_chunk_ are full.
  uint32_t held_from_start_ = 3;
  uint32_t prefix_chunk_ = 0;
  // The primes (from 7 on) in the segments before each, known for the first
  // counted_ + 1.
  uint32_t segment_primes_[kSegmentCount + 1] = {};
  uint32_t counted_ = 0;
};

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMETABLE_H_
