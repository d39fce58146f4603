#include "lists/PrimeTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tallyra {

namespace {

#ifdef TALLYRA_TEST_HOOKS
constexpr uint64_t kNoLimit = ~uint64_t{0};
uint64_t growth_limit = kNoLimit;
#endif

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

// Bit r (counted from 0) of those set in bits, which has more than r.
inline uint32_t SelectBit(uint64_t bits, uint32_t r) {
  uint32_t byte = 0;
  for (uint32_t c; r >= (c = kBytes.count[bits & 0xFF]); bits >>= 8, ++byte) r -= c;
  return 8 * byte + kBytes.select[bits & 0xFF][r];
}

// A block's memory (2 MB), uninitialised; null when it cannot be had. On
// Linux it is aligned to its size and asked for in huge pages: the bitmap is
// written once from end to end, and faulting it in 4 KB pages costs as much
// as a third of the sieve, while reads at random miss the TLB less.
void* AllocateBlock(size_t bytes) {
#if defined(__linux__)
  void* memory = nullptr;
  if (posix_memalign(&memory, bytes, bytes) != 0) return nullptr;
  madvise(memory, bytes, MADV_HUGEPAGE);  // a hint: without huge pages all still works
  return memory;
#else
  return std::malloc(bytes);
#endif
}

}  // namespace

void PrimeTable::Free::operator()(void* memory) const { std::free(memory); }

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
#endif

PrimeTable::PrimeTable() = default;
PrimeTable::~PrimeTable() = default;

uint64_t PrimeTable::MemoryBytes() const {
  uint64_t bytes = sizeof(PrimeTable) + uint64_t{blocks_held_} * (size_t{2} << 20);
  if (sieve_) bytes += sizeof(PrimeSieve) + sieve_->MemoryBytes();
  return bytes;
}

bool PrimeTable::Grow(uint32_t index) {
  while (index >= Count()) {
    if (!SieveNextSegment()) return false;
  }
  return true;
}

// Sieves the next segment straight into its place and records where its
// groups start. False, with nothing changed, when memory is short or the
// table is complete.
bool PrimeTable::SieveNextSegment() {
  if (words_done_ == PrimeSieve::kTotalWords) return false;
  static_assert(kChunkWords * sizeof(uint64_t) == (size_t{2} << 20) &&
                    kSampleBlock * sizeof(uint32_t) == (size_t{2} << 20),
                "every block is 2 MB");
  const uint32_t c = words_done_ / kChunkWords;
  // The segment's groups start in at most these sample blocks (it has fewer
  // primes than bits).
  const uint32_t s0 = bitmap_primes_ >> kGroupShift;
  const uint32_t s1 =
      std::min((bitmap_primes_ + kSegmentWords * 64) >> kGroupShift, kGroupCount - 1);
#ifdef TALLYRA_TEST_HOOKS
  uint32_t blocks = chunks_[c] ? 0 : 1;
  for (uint32_t b = s0 / kSampleBlock; b <= s1 / kSampleBlock; ++b) blocks += samples_[b] ? 0 : 1;
  const uint64_t growth = uint64_t{blocks} * (size_t{2} << 20) + (sieve_ ? 0 : sizeof(PrimeSieve));
  if (growth_limit != kNoLimit && MemoryBytes() + growth > growth_limit) return false;
#endif
  if (!sieve_) {
    sieve_.reset(new (std::nothrow) PrimeSieve);
    if (!sieve_) return false;
  }
  if (!sieve_->Prepare()) return false;
  if (!chunks_[c]) {
    chunks_[c].reset(static_cast<uint64_t*>(AllocateBlock(kChunkWords * sizeof(uint64_t))));
    if (!chunks_[c]) return false;
    ++blocks_held_;
  }
  for (uint32_t b = s0 / kSampleBlock; b <= s1 / kSampleBlock; ++b) {
    if (!samples_[b]) {
      samples_[b].reset(static_cast<uint32_t*>(AllocateBlock(kSampleBlock * sizeof(uint32_t))));
      if (!samples_[b]) return false;
      ++blocks_held_;
    }
  }

  // From here on nothing fails.
  const uint32_t w0 = words_done_;
  const uint32_t w1 = std::min(w0 + kSegmentWords, PrimeSieve::kTotalWords);
  uint64_t* words = chunks_[c].get() + (w0 - c * kChunkWords);
  sieve_->Sieve(words, w0, w1);
  // Where the groups start: the bit of every kGroupPrimes-th prime.
  uint32_t rank = bitmap_primes_;
  uint32_t next = (rank + kGroupPrimes - 1) & ~(kGroupPrimes - 1);
  for (uint32_t w = w0; w < w1; ++w) {
    const uint64_t bits = words[w - w0];
    const uint32_t count = BitCount(bits);
    for (; next < rank + count; next += kGroupPrimes) {
      const uint32_t s = next >> kGroupShift;
      samples_[s / kSampleBlock].get()[s % kSampleBlock] = w * 64 + SelectBit(bits, next - rank);
    }
    rank += count;
  }
  words_done_ = w1;
  bitmap_primes_ = rank;
  if (w1 == PrimeSieve::kTotalWords) sieve_.reset();  // complete: the sieve is not needed again
  return true;
}

uint32_t PrimeTable::PrimeAt(uint32_t index) const {
  if (index < 3) return index == 0 ? 2 : index == 1 ? 3 : 5;
  const uint32_t j = index - 3;
  const uint32_t start = GroupStart(j >> kGroupShift);
  uint32_t r = j & (kGroupPrimes - 1);
  uint32_t w = start / 64;
  uint64_t bits = Word(w) & (~uint64_t{0} << (start % 64));
  for (uint32_t c; r >= (c = BitCount(bits)); bits = Word(++w)) r -= c;
  return w * PrimeSieve::kWordNumbers + kBytes.offset[SelectBit(bits, r)];
}

uint32_t PrimeTable::DecodeGroup(uint32_t index, uint32_t* out, uint32_t* first) const {
  const uint32_t s = (index - 3) >> kGroupShift;
  const uint32_t count = std::min(kGroupPrimes, bitmap_primes_ - (s << kGroupShift));
  const uint32_t start = GroupStart(s);
  uint32_t w = start / 64;
  uint64_t bits = Word(w) & (~uint64_t{0} << (start % 64));
  // Whole words, eight primes to a step whatever a word holds (so that the
  // branches do not hang on the bits); past a word's last prime the top bit
  // stands in, and what is written there is overwritten or lies past n.
  uint32_t n = 0;
  for (;;) {
    const uint32_t base = w * PrimeSieve::kWordNumbers;
    const uint32_t in_word = BitCount(bits);
    uint32_t* o = out + n;
    for (uint32_t k = 0; k < 8; ++k) {
      o[k] = base + kBytes.offset[__builtin_ctzll(bits | (uint64_t{1} << 63))];
      bits &= bits - 1;
    }
    for (uint32_t k = 8; bits != 0; ++k) {
      o[k] = base + kBytes.offset[__builtin_ctzll(bits)];
      bits &= bits - 1;
    }
    n += in_word;
    if (n >= count) break;
    bits = Word(++w);
  }
  *first = 3 + (s << kGroupShift);
  return n;  // the primes of the last word past the group are held too
}

}  // namespace tallyra
