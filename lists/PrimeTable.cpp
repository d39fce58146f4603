#include "lists/PrimeTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#elif defined(_WIN32)
#include <malloc.h>
#endif

#include "lists/WordSelect.h"

namespace tallyra {

namespace {

#ifdef TALLYRA_TEST_HOOKS
constexpr uint64_t kNoLimit = ~uint64_t{0};
uint64_t growth_limit = kNoLimit;
bool read_portably = false;
#endif

PrimeBlock::Reader ChosenReader() {
#ifdef TALLYRA_TEST_HOOKS
  if (read_portably) return PrimeBlock::PortableReader();
#endif
  return PrimeBlock::BestReader();
}

constexpr size_t kChunkBytes = PrimeTable::kChunkBlocks * sizeof(PrimeBlock);
static_assert(kChunkBytes == (size_t{2} << 20), "a chunk is 2 MB");

std::weak_ptr<PrimeTable>& Current() {
  static std::weak_ptr<PrimeTable> current;
  return current;
}

// A chunk's memory, uninitialised; null when it cannot be had. On Linux it is
// aligned to its size and asked for in huge pages: the blocks are written
// once from end to end, and faulting them in 4 KB pages costs a good part of
// the build, while reads at random miss the TLB less.
void* AllocateChunk() {
#if defined(__linux__)
  void* memory = nullptr;
  if (posix_memalign(&memory, kChunkBytes, kChunkBytes) != 0) return nullptr;
  madvise(memory, kChunkBytes, MADV_HUGEPAGE);  // a hint: without huge pages all still works
  return memory;
#elif defined(_WIN32)
  // 64-byte aligned, so that each block is one cache line.
  return _aligned_malloc(kChunkBytes, 64);
#else
  return std::aligned_alloc(64, kChunkBytes);
#endif
}

}  // namespace

// What building the table needs while it is not complete: the sieve, the
// segment of the bitmap that it sieved last, and where coding stands: the
// block that the gathered primes begin, the word to take primes from next.
// Counting a segment moves the sieve away; coding is then placed again.
class PrimeTable::Builder {
 public:
  static constexpr uint32_t kNowhere = ~0u;

  // Builds the working memory; false when it cannot be had.
  bool Prepare() {
    if (!segment_) segment_.reset(new (std::nothrow) uint64_t[kSegmentWords]);
    return segment_ && sieve_.Prepare();
  }
  uint64_t MemoryBytes() const {
    return sizeof(Builder) + sieve_.MemoryBytes() +
           (segment_ ? kSegmentWords * sizeof(uint64_t) : 0);
  }

  // The block that coding goes on with; kNowhere when it is not placed.
  uint32_t next_block() const { return next_block_; }
  uint32_t segment() const { return segment_start_ / kSegmentWords; }
  // Whether every prime of the segment has been taken (and every full block
  // handed on).
  bool SegmentTaken() const { return word_ == segment_end_ && gathered_ < kBlockPrimes; }
  bool LastSegment() const { return segment_end_ == PrimeSieve::kTotalWords; }
  const uint32_t* gathered_positions() const { return gathered_positions_; }
  uint32_t gathered() const { return gathered_; }

  // Sieves segment s into the buffer (the sieve restarted there unless it
  // goes on from the last one) and answers how many primes it holds. Coding
  // goes on from its first word, unless `counting` (coding is then not
  // placed).
  uint32_t SieveSegment(uint32_t s, bool counting) {
    const uint32_t w0 = s * kSegmentWords;
    if (w0 != segment_end_ || !sieved_) sieve_.RestartAt(w0);
    segment_start_ = w0;
    segment_end_ = std::min(w0 + kSegmentWords, PrimeSieve::kTotalWords);
    sieve_.Sieve(segment_.get(), segment_start_, segment_end_);
    sieved_ = true;
    clean_ = true;
    word_ = segment_start_;
    if (counting) next_block_ = kNowhere;
    return CountBits(segment_.get(), segment_end_ - segment_start_);
  }

  // Places coding at the first prime of block b, which is prime `skip` (from
  // 0) of segment s.
  void PlaceAt(uint32_t b, uint32_t s, uint32_t skip) {
    if (!clean_ || s != segment()) SieveSegment(s, false);
    uint64_t* words = segment_.get();
    uint32_t w = 0;
    for (uint32_t n; skip >= (n = word_select::BitCount(words[w])); ++w) skip -= n;
    clean_ = clean_ && skip == 0;
    for (; skip != 0; --skip) words[w] &= words[w] - 1;  // the primes before b's
    word_ = segment_start_ + w;
    gathered_ = 0;
    next_block_ = b;
  }

  // Gathers the segment's primes into blocks, handing each full one to
  // add(block, positions, kBlockPrimes), up to block `stop` (not included);
  // false where add fails, to go on from there on the next call.
  template <typename Add>
  bool TakeSegment(uint32_t stop, Add add) {
    uint32_t n = gathered_;
    bool added = true;
    for (;;) {
      if (n >= kBlockPrimes) {
        if (next_block_ == stop) break;
        if (!(added = add(next_block_, gathered_positions_, kBlockPrimes))) break;
        ++next_block_;
        n -= kBlockPrimes;
        std::copy(gathered_positions_ + kBlockPrimes, gathered_positions_ + kBlockPrimes + n,
                  gathered_positions_);
      }
      if (word_ == segment_end_) break;
      // A word's primes, kTaken at a time whatever it holds, so that the
      // branches do not hang on the bits; past its last prime the top bit
      // stands in, and what is written there lies past n.
      uint64_t bits = segment_[word_ - segment_start_];
      const uint32_t base = word_++ * 64;
      uint32_t* out = gathered_positions_ + n;
      n += word_select::BitCount(bits);
      for (uint32_t k = 0; k < kTaken; ++k) {
        out[k] = base + static_cast<uint32_t>(__builtin_ctzll(bits | (uint64_t{1} << 63)));
        bits &= bits - 1;
      }
      for (uint32_t k = kTaken; bits != 0; ++k) {
        out[k] = base + static_cast<uint32_t>(__builtin_ctzll(bits));
        bits &= bits - 1;
      }
    }
    gathered_ = n;
    return added;
  }
  // Hands on the last block, of the primes left (fewer than kBlockPrimes).
  void TookLast() {
    ++next_block_;
    gathered_ = 0;
  }

 private:
  // The set bits of `count` words.
  static uint32_t CountBits(const uint64_t* words, uint32_t count) {
    uint32_t total = 0;
    for (uint32_t w = 0; w < count; ++w) total += word_select::BitCount(words[w]);
    return total;
  }

  PrimeSieve sieve_;
  std::unique_ptr<uint64_t[]> segment_;  // bitmap words segment_start_ .. segment_end_-1
  uint32_t segment_start_ = 0;
  uint32_t segment_end_ = 0;
  bool sieved_ = false;  // the sieve stands at segment_end_
  bool clean_ = false;   // the buffer holds its segment as sieved
  static constexpr uint32_t kTaken = 16;
  uint32_t next_block_ = kNowhere;
  uint32_t word_ = 0;  // the next word to take primes from
  uint32_t gathered_ = 0;
  // Room for a block and a word's primes past it.
  uint32_t gathered_positions_[kBlockPrimes + 64];
};

void PrimeTable::FreeChunk::operator()(PrimeBlock* chunk) const {
#if defined(_WIN32)
  _aligned_free(chunk);
#else
  std::free(chunk);
#endif
}

std::shared_ptr<PrimeTable> PrimeTable::Shared() {
  std::shared_ptr<PrimeTable> table = Current().lock();
  if (!table) {
    table.reset(new PrimeTable);
    Current() = table;
  }
  return table;
}

uint64_t PrimeTable::LiveBytes() {
  const std::shared_ptr<PrimeTable> table = Current().lock();
  return table ? table->MemoryBytes() : 0;
}

#ifdef TALLYRA_TEST_HOOKS
void PrimeTable::SetGrowthLimitForTesting(uint64_t bytes) { growth_limit = bytes; }
void PrimeTable::ReadPortablyForTesting(bool portable) { read_portably = portable; }
#endif

PrimeTable::PrimeTable() : reader_(ChosenReader()) {}
PrimeTable::~PrimeTable() = default;

uint64_t PrimeTable::MemoryBytes() const {
  uint64_t bytes = sizeof(PrimeTable) + uint64_t{chunks_held_} * kChunkBytes;
  if (builder_) bytes += builder_->MemoryBytes();
  return bytes;
}

#ifdef TALLYRA_TEST_HOOKS
bool PrimeTable::AllowGrowth(uint64_t bytes) const {
  return growth_limit == kNoLimit || MemoryBytes() + bytes <= growth_limit;
}
#else
bool PrimeTable::AllowGrowth(uint64_t) const { return true; }  // the limit is a test hook
#endif

bool PrimeTable::Grow(uint32_t index) {
  if (index > kLastIndex) return false;
  const uint32_t b = (index - 3) / kBlockPrimes;
  const uint32_t c = b / kChunkBlocks;
  bool grown = true;
  while (grown && held_[c] <= b % kChunkBlocks) grown = CodeMore(c);
  FindHeldFromStart();
  if (held_primes_ == kBitmapPrimes) builder_.reset();  // complete: the sieve is not needed again
  return grown;
}

void PrimeTable::FindHeldFromStart() {
  const auto chunk_blocks = [](uint32_t c) {
    return std::min((c + 1) * kChunkBlocks, kBlockCount) - c * kChunkBlocks;
  };
  while (prefix_chunk_ < kChunkCount && held_[prefix_chunk_] == chunk_blocks(prefix_chunk_)) {
    ++prefix_chunk_;
  }
  const uint32_t blocks =
      prefix_chunk_ * kChunkBlocks + (prefix_chunk_ < kChunkCount ? held_[prefix_chunk_] : 0);
  held_from_start_ = std::min(3 + blocks * kBlockPrimes, kLastIndex + 1);
}

bool PrimeTable::CoverAll() {
  for (uint32_t c = 0; c < kChunkCount; ++c) {
    const uint32_t last_block = std::min((c + 1) * kChunkBlocks, kBlockCount) - 1;
    if (!Cover(std::min(3 + (last_block + 1) * kBlockPrimes - 1, kLastIndex))) return false;
  }
  return true;
}

// Codes the next blocks of chunk c, at least up to the end of a segment;
// false when memory is short (what was coded stays, and the next call goes
// on from there).
bool PrimeTable::CodeMore(uint32_t c) {
  if (!builder_) {
    if (!AllowGrowth(sizeof(Builder) + kSegmentWords * sizeof(uint64_t))) return false;
    builder_.reset(new (std::nothrow) Builder);
    if (!builder_) return false;
  }
  Builder& builder = *builder_;
  if (!builder.Prepare()) return false;
  const uint32_t next = c * kChunkBlocks + held_[c];
  if (builder.next_block() != next && !PlaceBuilder(next)) return false;
  if (builder.SegmentTaken()) {
    if (builder.LastSegment()) {
      // Every prime is taken: the last block holds the rest.
      if (builder.gathered() == 0) return false;  // nothing is left: not reached
      if (!AddBlock(next, builder.gathered_positions(), builder.gathered())) return false;
      builder.TookLast();
      return true;
    }
    SieveSegment(builder.segment() + 1);
  }
  const uint32_t stop = std::min((c + 1) * kChunkBlocks, kBlockCount);
  return builder.TakeSegment(stop,
                             [this](uint32_t block, const uint32_t* positions, uint32_t count) {
                               return AddBlock(block, positions, count);
                             });
}

// Sieves a segment for coding, keeping its count when it is the first not
// counted.
uint32_t PrimeTable::SieveSegment(uint32_t segment) {
  const uint32_t primes = builder_->SieveSegment(segment, false);
  if (segment == counted_) {
    segment_primes_[counted_ + 1] = segment_primes_[counted_] + primes;
    ++counted_;
  }
  return primes;
}

// Places the builder at the first prime of a block, counting the primes of
// the segments before it that are not counted yet.
bool PrimeTable::PlaceBuilder(uint32_t block) {
  const uint32_t j = block * kBlockPrimes;
  while (segment_primes_[counted_] <= j) {
    const uint32_t primes = builder_->SieveSegment(counted_, true);
    segment_primes_[counted_ + 1] = segment_primes_[counted_] + primes;
    ++counted_;
  }
  // The segment that holds it: the last that begins at or before it.
  const uint32_t s = static_cast<uint32_t>(
      std::upper_bound(segment_primes_, segment_primes_ + counted_ + 1, j) - segment_primes_ - 1);
  builder_->PlaceAt(block, s, j - segment_primes_[s]);
  return true;
}

// Codes block b in its chunk; false, with nothing changed, when memory for it
// cannot be had (or its primes did not fit a block, which no block below 2^32
// does: the widest reaches bit 184 of the 192 of its upper field, and a test
// codes every one).
bool PrimeTable::AddBlock(uint32_t b, const uint32_t* positions, uint32_t count) {
  const uint32_t c = b / kChunkBlocks;
  if (!chunks_[c]) {
    if (!AllowGrowth(kChunkBytes)) return false;
    chunks_[c].reset(static_cast<PrimeBlock*>(AllocateChunk()));
    if (!chunks_[c]) return false;
    ++chunks_held_;
  }
  if (!chunks_[c].get()[b % kChunkBlocks].Encode(positions, count)) return false;
  ++held_[c];
  held_primes_ += count;
  return true;
}

}  // namespace tallyra
