#include "lists/PrimeTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr uint64_t kNoLimit = ~uint64_t{0};
uint64_t growth_limit = kNoLimit;

std::weak_ptr<PrimeTable>& Current() {
  static std::weak_ptr<PrimeTable> current;
  return current;
}

// The set bits of x, inline on every target (the baseline x86-64 has no
// popcount instruction, and the library's routine is a call).
inline uint32_t BitCount(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<uint32_t>((x * 0x0101010101010101ull) >> 56);
}

// The set bits of a line's eight words: 2-bit then 4-bit counts added across
// words before they are widened.
inline uint32_t LineBitCount(const uint64_t* w) {
  constexpr uint64_t k1 = 0x5555555555555555ull, k2 = 0x3333333333333333ull;
  constexpr uint64_t k4 = 0x0F0F0F0F0F0F0F0Full;
  uint64_t bytes = 0;  // per byte at most 64
  for (uint32_t i = 0; i < 8; i += 2) {
    uint64_t a = w[i] - ((w[i] >> 1) & k1);
    uint64_t b = w[i + 1] - ((w[i + 1] >> 1) & k1);
    a = (a & k2) + ((a >> 2) & k2);
    b = (b & k2) + ((b >> 2) & k2);
    const uint64_t nibbles = a + b;  // per nibble at most 8
    bytes += (nibbles & k4) + ((nibbles >> 4) & k4);
  }
  constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
  const uint64_t lanes = (bytes & kEvenBytes) + ((bytes >> 8) & kEvenBytes);
  return static_cast<uint32_t>((lanes * 0x0001000100010001ull) >> 48);
}

struct ByteTables {
  uint8_t count[256] = {};
  uint8_t select[256][8] = {};  // select[b][r]: the bit of b's set bit r
  uint8_t offset[64] = {};      // bit of a word -> its number's offset from the word's start

  constexpr ByteTables() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t n = 0;
      for (uint32_t bit = 0; bit < 8; ++bit) {
        if (b & (1u << bit)) select[b][n++] = static_cast<uint8_t>(bit);
      }
      count[b] = static_cast<uint8_t>(n);
    }
    for (uint32_t bit = 0; bit < 64; ++bit) {
      offset[bit] = static_cast<uint8_t>(30 * (bit / 8) + PrimeSieve::kWheel[bit % 8]);
    }
  }
};
constexpr ByteTables kBytes;

}  // namespace

struct PrimeTable::Chunk {
  uint64_t words[kChunkWords];
  uint32_t ranks[kChunkLines];  // ranks[l]: the bitmap primes before the chunk's line l
};

namespace {

// A chunk's memory, uninitialised; null when it cannot be had. On Linux it is
// aligned to 2 MB and asked for in huge pages: the bitmap is written once from
// end to end, and faulting it in 4 KB pages costs as much as a third of the
// sieve, while reads at random miss the TLB less.
void* AllocateChunk(size_t bytes) {
#if defined(__linux__)
  constexpr size_t kHugePage = size_t{2} << 20;
  void* memory = nullptr;
  if (posix_memalign(&memory, kHugePage, bytes) != 0) return nullptr;
  madvise(memory, bytes, MADV_HUGEPAGE);  // a hint: without huge pages all still works
  return memory;
#else
  return std::malloc(bytes);
#endif
}

}  // namespace

void PrimeTable::ChunkFree::operator()(Chunk* chunk) const { std::free(chunk); }

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

void PrimeTable::SetGrowthLimitForTesting(uint64_t bytes) { growth_limit = bytes; }

PrimeTable::PrimeTable() = default;
PrimeTable::~PrimeTable() = default;

uint64_t PrimeTable::MemoryBytes() const {
  uint64_t bytes = sizeof(PrimeTable) + uint64_t{chunks_held_} * sizeof(Chunk);
  if (samples_) bytes += uint64_t{kSampleCount} * sizeof(uint32_t);
  if (sieve_) bytes += sizeof(PrimeSieve) + sieve_->MemoryBytes();
  return bytes;
}

bool PrimeTable::Grow(uint32_t index) {
  while (index >= Count()) {
    if (!SieveNextSegment()) return false;
  }
  return true;
}

// Sieves the next segment straight into its place and ranks its lines. False,
// with nothing changed, when memory is short or the table is complete.
bool PrimeTable::SieveNextSegment() {
  if (words_done_ == PrimeSieve::kTotalWords) return false;
  const uint32_t c = words_done_ / kChunkWords;
  const uint64_t growth = (chunks_[c] ? 0 : sizeof(Chunk)) +
                          (samples_ ? 0 : kSampleCount * sizeof(uint32_t)) +
                          (sieve_ ? 0 : sizeof(PrimeSieve));
  if (growth_limit != kNoLimit && MemoryBytes() + growth > growth_limit) return false;
  if (!samples_) {
    samples_.reset(new (std::nothrow) uint32_t[kSampleCount]);
    if (!samples_) return false;
  }
  if (!sieve_) {
    sieve_.reset(new (std::nothrow) PrimeSieve);
    if (!sieve_) return false;
  }
  if (!sieve_->Prepare()) return false;
  if (!chunks_[c]) {
    chunks_[c].reset(static_cast<Chunk*>(AllocateChunk(sizeof(Chunk))));
    if (!chunks_[c]) return false;
    ++chunks_held_;
  }

  // From here on nothing fails.
  Chunk& chunk = *chunks_[c];
  const uint32_t w0 = words_done_;
  const uint32_t w1 = std::min(w0 + kSegmentWords, PrimeSieve::kTotalWords);
  uint64_t* words = chunk.words + (w0 - c * kChunkWords);
  sieve_->Sieve(words, w0, w1);
  const uint32_t lines = (w1 - w0 + kLineWords - 1) / kLineWords;
  std::fill(words + (w1 - w0), words + lines * kLineWords, uint64_t{0});
  uint32_t* ranks = chunk.ranks + (lines_done_ - c * kChunkLines);
  uint32_t rank = ranks_end_;
  // The next sampled prime: the first multiple of the sample step from rank on.
  const uint32_t step = 1u << kSampleShift;
  uint32_t sample = (rank + step - 1) & ~(step - 1);
  for (uint32_t l = 0; l < lines; ++l) {
    ranks[l] = rank;
    rank += LineBitCount(words + l * kLineWords);
    for (; sample < rank; sample += step) samples_[sample >> kSampleShift] = lines_done_ + l;
  }
  words_done_ = w1;
  lines_done_ += lines;
  ranks_end_ = rank;
  if (w1 == PrimeSieve::kTotalWords) sieve_.reset();  // complete: the sieve is not needed again
  return true;
}

inline uint32_t PrimeTable::RankOf(uint32_t line) const {
  return chunks_[line / kChunkLines]->ranks[line % kChunkLines];
}

inline const uint64_t* PrimeTable::LineWords(uint32_t line) const {
  return chunks_[line / kChunkLines]->words + (line % kChunkLines) * kLineWords;
}

inline uint32_t PrimeTable::LineOf(uint32_t j) const {
  uint32_t line = samples_[j >> kSampleShift];
  while (line + 1 < lines_done_ && RankOf(line + 1) <= j) ++line;
  return line;
}

uint32_t PrimeTable::PrimeAt(uint32_t index) const {
  if (index < 3) return index == 0 ? 2 : index == 1 ? 3 : 5;
  const uint32_t j = index - 3;
  const uint32_t line = LineOf(j);
  uint32_t r = j - RankOf(line);
  const uint64_t* words = LineWords(line);
  uint32_t w = 0;
  for (uint32_t c; r >= (c = BitCount(words[w])); ++w) r -= c;
  uint64_t bits = words[w];
  uint32_t byte = 0;
  for (uint32_t c; r >= (c = kBytes.count[bits & 0xFF]); bits >>= 8, ++byte) r -= c;
  const uint32_t bit = 8 * byte + kBytes.select[bits & 0xFF][r];
  return (line * kLineWords + w) * PrimeSieve::kWordNumbers + kBytes.offset[bit];
}

uint32_t PrimeTable::DecodeLine(uint32_t index, uint32_t* out, uint32_t* first) const {
  const uint32_t line = LineOf(index - 3);
  const uint64_t* words = LineWords(line);
  uint32_t base = line * kLineWords * PrimeSieve::kWordNumbers;
  uint32_t n = 0;
  for (uint32_t w = 0; w < kLineWords; ++w, base += PrimeSieve::kWordNumbers) {
    for (uint64_t bits = words[w]; bits != 0; bits &= bits - 1) {
      out[n++] = base + kBytes.offset[__builtin_ctzll(bits)];
    }
  }
  *first = 3 + RankOf(line);
  return n;
}
