#include "lists/PrimeList.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the sieve and the blocks read bytes as parts of 64-bit words");

namespace {

// The primes below 256, which the table starts with.
constexpr uint8_t kSmallPrimes[PrimeList::kStartCount] = {
    2,   3,   5,   7,   11,  13,  17,  19,  23,  29,  31,  37,  41,  43,  47,  53,  59,  61,
    67,  71,  73,  79,  83,  89,  97,  101, 103, 107, 109, 113, 127, 131, 137, 139, 149, 151,
    157, 163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, 229, 233, 239, 241, 251};

constexpr uint64_t kLimit = uint64_t{1} << 32;  // every prime kept lies below

// The sieve: byte b of a segment stands for the numbers 30b .. 30b+29 from the
// segment's start, bit k of it for 30b + kWheel[k]; a 64-bit word covers 240.
constexpr uint32_t kWheel[8] = {1, 7, 11, 13, 17, 19, 23, 29};
constexpr uint32_t kWordNumbers = 240;
constexpr uint32_t kSegmentWords = PrimeList::kSegmentNumbers / kWordNumbers;
static_assert(kSegmentWords * kWordNumbers == PrimeList::kSegmentNumbers, "");
constexpr uint32_t kTotalWords = static_cast<uint32_t>((kLimit + kWordNumbers - 1) / kWordNumbers);

// The sieve removes the multiples of 7, 11, 13 and 17 by copying a pattern
// that repeats every 7 * 11 * 13 * 17 bytes, and crosses off the multiples of
// the primes from 19 up to 65521 (every prime below the square root of 2^32).
constexpr uint32_t kPatternBytes = 7 * 11 * 13 * 17;
constexpr uint32_t kFirstSievingPrime = 19;
constexpr uint32_t kSievingLimit = 1u << 16;

// The table: the primes from 3 on (the table's prime j is the list's j + 1), 55
// to a block of one cache line: the 54 gaps after the block's first prime,
// halved; the sums of the first 14, 28 and 42 of them; the first prime.
constexpr uint32_t kPerBlock = PrimeList::kPrimesPerBlock;
constexpr uint32_t kGapsPerBlock = kPerBlock - 1;
constexpr uint32_t kGapsPerSum = 14;
struct alignas(64) Block {
  uint8_t gaps[kGapsPerBlock];  // gaps[u]: (prime u+1 - prime u) / 2, counted in the block
  uint16_t sums[3];             // sums[q]: gaps[0] + ... + gaps[14 (q+1) - 1]
  uint32_t first;
};
static_assert(sizeof(Block) == 64 && offsetof(Block, sums) == kGapsPerBlock,
              "a block is one cache line, its sums right after its gaps");
constexpr uint32_t kStored = PrimeList::kLastIndex;  // the primes from 3 to 4294967291
constexpr uint32_t kBlockCount = (kStored + kPerBlock - 1) / kPerBlock;
constexpr uint32_t kChunkBlocks = PrimeList::kBlocksPerChunk;
constexpr uint32_t kChunkCount = (kBlockCount + kChunkBlocks - 1) / kChunkBlocks;
// The widest gap between primes below 2^32 is 336 (after 3,842,610,773).
constexpr uint32_t kWidestGap = 336;
static_assert(kWidestGap / 2 <= 0xFF, "a halved gap fits a byte");
static_assert(kGapsPerBlock * (kWidestGap / 2) <= 0xFFFF, "a sum fits 16 bits");

// Tables derived from the wheel.
struct WheelTables {
  uint8_t index_of[30] = {};     // residue mod 30 -> its bit (for residues in the wheel)
  uint8_t word_offset[64] = {};  // bit of a word -> its number's offset from the word's start
  // For a prime p = 30a + kWheel[r], its multiple p * (30k + kWheel[i]) lies in
  // byte p k + a kWheel[i] + carry[r][i], at the bit that mask[r][i] clears.
  uint8_t carry[8][8] = {};
  uint8_t mask[8][8] = {};
  uint64_t low_bytes[9] = {};  // low_bytes[n]: the n low bytes of a word set

  constexpr WheelTables() {
    for (uint32_t k = 0; k < 8; ++k) index_of[kWheel[k]] = static_cast<uint8_t>(k);
    for (uint32_t b = 0; b < 64; ++b) {
      word_offset[b] = static_cast<uint8_t>(30 * (b / 8) + kWheel[b % 8]);
    }
    for (uint32_t r = 0; r < 8; ++r) {
      for (uint32_t i = 0; i < 8; ++i) {
        const uint32_t product = kWheel[r] * kWheel[i];
        carry[r][i] = static_cast<uint8_t>(product / 30);
        mask[r][i] = static_cast<uint8_t>(~(1u << index_of[product % 30]));
      }
    }
    for (uint32_t n = 0; n < 8; ++n) low_bytes[n] = (uint64_t{1} << (8 * n)) - 1;
    low_bytes[8] = ~uint64_t{0};
  }
};
constexpr WheelTables kTables;

// The sum of a block's first n halved gaps (n at most 54), without branches on
// the block's contents: a stored sum, then at most 13 bytes added in 16-bit lanes.
inline uint32_t HalfGapSum(const Block& block, uint32_t n) {
  constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
  const uint32_t q = n / kGapsPerSum;
  const uint32_t r = n - q * kGapsPerSum;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
  uint16_t stored;  // for q = 0 these are gap bytes, masked out below
  std::memcpy(&stored, bytes + kGapsPerBlock - 2 + 2 * q, sizeof stored);
  uint64_t x0, x1;  // for q = 3 the second word reaches into the sums, masked out too
  std::memcpy(&x0, bytes + q * kGapsPerSum, sizeof x0);
  std::memcpy(&x1, bytes + q * kGapsPerSum + 8, sizeof x1);
  x0 &= kTables.low_bytes[std::min<uint32_t>(r, 8)];
  x1 &= kTables.low_bytes[r > 8 ? r - 8 : 0];
  const uint64_t lanes =
      (x0 & kEvenBytes) + ((x0 >> 8) & kEvenBytes) + (x1 & kEvenBytes) + ((x1 >> 8) & kEvenBytes);
  const uint32_t keep = 0u - static_cast<uint32_t>(q != 0);  // no branch: it would mispredict
  return (stored & keep) + static_cast<uint32_t>((lanes * 0x0001000100010001ull) >> 48);
}

// A prime that crosses off multiples, and where its next multiple lies: the
// byte from the start of the sieve (below 2^29) and, in the top 3 bits, the
// wheel index of the multiplier.
struct SievingPrime {
  uint32_t prime;
  uint32_t next;
};

}  // namespace

struct PrimeList::Table {
  std::unique_ptr<Block[]> chunks[kChunkCount];
  std::vector<SievingPrime> sieving;  // empty until the first growth
  std::unique_ptr<uint8_t[]> pattern;
  std::unique_ptr<uint64_t[]> segment;
  uint32_t sieved_words = 0;          // the sieve has covered words 0 .. sieved_words-1
  uint32_t stored = 0;                // primes in the table
  uint32_t last = 0;                  // the last of them
  uint32_t last_block = 0xFFFFFFF0u;  // the block that was read last

  Block& BlockAt(uint32_t b) const { return chunks[b / kChunkBlocks][b % kChunkBlocks]; }

  uint64_t Known() const {
    return std::max<uint64_t>(PrimeList::kStartCount, uint64_t{1} + stored);
  }

  bool Prepare();
  bool SieveNextSegment();
  void Sieve(uint32_t w0, uint32_t w1);
  uint32_t block_sum = 0;  // the halved gaps stored in the last block

  void Store(uint32_t prime) {
    const uint32_t u = stored % kPerBlock;
    Block& block = BlockAt(stored / kPerBlock);
    if (u == 0) {
      block.first = prime;
      block_sum = 0;
    } else {
      const uint32_t gap = (prime - last) >> 1;
      block.gaps[u - 1] = static_cast<uint8_t>(gap);
      block_sum += gap;
      if (u % kGapsPerSum == 0 && u < kGapsPerBlock) {
        block.sums[u / kGapsPerSum - 1] = static_cast<uint16_t>(block_sum);
      }
    }
    last = prime;
    ++stored;
  }
  // The table's prime u of block b (below stored).
  uint32_t StoredPrime(uint32_t b, uint32_t u) const {
    const Block& block = BlockAt(b);
    return block.first + 2 * HalfGapSum(block, u);
  }
  // Writes the primes of block b to out; answers how many.
  uint32_t Decode(uint32_t b, uint32_t* out) const {
    const Block& block = BlockAt(b);
    const uint32_t count = std::min(kPerBlock, stored - b * kPerBlock);
    uint32_t prime = block.first;
    out[0] = prime;
    for (uint32_t u = 1; u < count; ++u) {
      prime += 2 * uint32_t{block.gaps[u - 1]};
      out[u] = prime;
    }
    return count;
  }
};

// Builds the sieving primes, the pattern and the segment; false when memory
// is short.
bool PrimeList::Table::Prepare() {
  if (segment) return true;
  try {
    std::vector<uint8_t> composite(kSievingLimit, 0);
    std::vector<SievingPrime> primes;
    primes.reserve(6542);
    for (uint32_t n = 2; n < kSievingLimit; ++n) {
      if (composite[n]) continue;
      for (uint32_t m = n * n; m < kSievingLimit; m += n) composite[m] = 1;
      if (n < kFirstSievingPrime) continue;
      // The first multiple to cross off is p * p, whose multiplier p has the
      // wheel index of p's residue.
      const auto next = static_cast<uint32_t>(uint64_t{n} * n / 30);
      primes.push_back({n, next | (uint32_t{kTables.index_of[n % 30]} << 29)});
    }
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[kPatternBytes]);
    std::memset(bytes.get(), 0xFF, kPatternBytes);
    for (uint32_t p : {7u, 11u, 13u, 17u}) {
      for (uint64_t n = p; n < uint64_t{kPatternBytes} * 30; n += 2 * p) {
        const auto r = static_cast<uint32_t>(n % 30);
        if (r % 3 == 0 || r % 5 == 0) continue;
        bytes[n / 30] &= static_cast<uint8_t>(~(1u << kTables.index_of[r]));
      }
    }
    std::unique_ptr<uint64_t[]> words(new uint64_t[kSegmentWords]);
    sieving.swap(primes);
    pattern = std::move(bytes);
    segment = std::move(words);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Sieves words w0 .. w1-1 into the segment: afterwards a bit is set exactly
// when its number is a prime from 7 on and below 2^32.
void PrimeList::Table::Sieve(uint32_t w0, uint32_t w1) {
  uint8_t* seg = reinterpret_cast<uint8_t*>(segment.get());
  const uint32_t b0 = w0 * 8;
  const uint32_t b1 = w1 * 8;
  const uint32_t size = b1 - b0;

  // The multiples of 7, 11, 13 and 17.
  for (uint32_t done = 0, from = b0 % kPatternBytes; done < size;) {
    const uint32_t n = std::min(size - done, kPatternBytes - from);
    std::memcpy(seg + done, pattern.get() + from, n);
    done += n;
    from = 0;
  }
  if (b0 == 0) seg[0] = static_cast<uint8_t>((seg[0] & ~1u) | 0x1Eu);  // 1 out; 7, 11, 13, 17 in

  // The multiples of the primes from 19 whose square lies below the segment's end.
  const uint64_t end_number = uint64_t{b1} * 30;
  for (SievingPrime& sp : sieving) {
    const uint32_t p = sp.prime;
    if (uint64_t{p} * p >= end_number) break;
    const uint32_t pos = sp.next & 0x1FFFFFFFu;
    if (pos >= b1) continue;
    uint32_t i = sp.next >> 29;
    const uint32_t a = p / 30;
    const uint32_t r = kTables.index_of[p % 30];
    const uint8_t* mask = kTables.mask[r];
    const uint8_t* carry = kTables.carry[r];
    // A cycle's eight multiples, as offsets from its first one.
    uint32_t d[8];
    for (uint32_t k = 0; k < 8; ++k) d[k] = a * (kWheel[k] - 1) + carry[k] - carry[0];
    // x: the cycle's first multiple relative to the segment, modulo 2^32 (it
    // may lie before the segment while a cycle begun earlier is finished).
    uint32_t x = pos - b0 - d[i];
    if (i != 0) {
      while (i < 8 && x + d[i] < size) {
        seg[x + d[i]] &= mask[i];
        ++i;
      }
      if (i < 8) {
        sp.next = (b0 + x + d[i]) | (i << 29);
        continue;
      }
      x += p;
      i = 0;
    }
    if (size > d[7]) {
      const uint32_t full = size - d[7];
      const uint32_t d1 = d[1], d2 = d[2], d3 = d[3], d4 = d[4], d5 = d[5], d6 = d[6], d7 = d[7];
      const uint8_t m0 = mask[0], m1 = mask[1], m2 = mask[2], m3 = mask[3];
      const uint8_t m4 = mask[4], m5 = mask[5], m6 = mask[6], m7 = mask[7];
      for (; x < full; x += p) {
        uint8_t* q = seg + x;
        q[0] &= m0;
        q[d1] &= m1;
        q[d2] &= m2;
        q[d3] &= m3;
        q[d4] &= m4;
        q[d5] &= m5;
        q[d6] &= m6;
        q[d7] &= m7;
      }
    }
    while (x + d[i] < size) {  // ends before i reaches 8: the full cycles are done
      seg[x + d[i]] &= mask[i];
      ++i;
    }
    sp.next = (b0 + x + d[i]) | (i << 29);
  }

  if (w1 == kTotalWords) {
    // The last word reaches past 2^32: keep only its numbers below.
    const uint64_t start = uint64_t{kTotalWords - 1} * kWordNumbers;
    uint64_t keep = 0;
    for (uint32_t bit = 0; bit < 64; ++bit) {
      if (start + kTables.word_offset[bit] < kLimit) keep |= uint64_t{1} << bit;
    }
    segment[w1 - w0 - 1] &= keep;
  }
}

// Sieves the next segment and stores its primes. False, with nothing changed,
// when memory is short or the sieve has reached 2^32.
bool PrimeList::Table::SieveNextSegment() {
  if (sieved_words == kTotalWords || !Prepare()) return false;
  const uint32_t w0 = sieved_words;
  const uint32_t w1 = std::min(w0 + kSegmentWords, kTotalWords);
  // A segment holds fewer primes than a chunk: it needs at most the chunk in
  // use and the next one.
  const uint32_t most = std::min(stored + (w1 - w0) * 64 + 2, kStored);
  for (uint32_t c = stored / kPerBlock / kChunkBlocks; c <= (most - 1) / kPerBlock / kChunkBlocks;
       ++c) {
    if (!chunks[c]) {
      chunks[c].reset(new (std::nothrow) Block[kChunkBlocks]);
      if (!chunks[c]) return false;
    }
  }

  // From here on nothing fails.
  if (w0 == 0) {
    Store(3);
    Store(5);
  }
  Sieve(w0, w1);
  const uint64_t* words = segment.get();
  for (uint32_t w = w0; w < w1; ++w) {
    uint64_t bits = words[w - w0];
    const uint32_t base = w * kWordNumbers;
    while (bits != 0) {
      Store(base + kTables.word_offset[__builtin_ctzll(bits)]);
      bits &= bits - 1;
    }
  }
  sieved_words = w1;
  return true;
}

PrimeList::PrimeList() : table_(new Table) {
  std::copy(std::begin(kSmallPrimes), std::end(kSmallPrimes), window_);
  window_first_ = 0;
  window_count_ = kStartCount;
}

PrimeList::~PrimeList() = default;

uint32_t PrimeList::PrimeAtSlow(uint32_t index) {
  Table& t = *table_;
  const uint32_t j = index - 1;  // index 0 wraps around to the rare path
  if (j >= t.stored) return PrimeAtRare(index);
  const uint32_t block = j / kPerBlock;
  if (block + 1 >= t.last_block && block <= t.last_block + 1) {
    // Near the last read: decode the block, for the reads around it.
    window_count_ = 0;
    const uint32_t count = t.Decode(block, window_);
    window_first_ = 1 + block * kPerBlock;
    window_count_ = count;
    t.last_block = block;
    return window_[index - window_first_];
  }
  t.last_block = block;
  return t.StoredPrime(block, j - block * kPerBlock);
}

// Kept out of PrimeAtSlow, so that reads of covered primes stay lean.
__attribute__((noinline)) uint32_t PrimeList::PrimeAtRare(uint32_t index) {
  if (index > kLastIndex) return 0;
  if (index < kStartCount) return kSmallPrimes[index];
  Table& t = *table_;
  while (index >= t.Known()) {
    if (!t.SieveNextSegment()) return 0;  // out of memory: the table keeps what it had
  }
  return PrimeAtSlow(index);
}

Element PrimeList::ElementAt(uint32_t index) {
  const uint32_t prime = PrimeAt(index);
  if (prime == 0) return Element::None();
  return Element::Number(static_cast<double>(prime));
}

uint64_t PrimeList::KnownCount() const { return table_->Known(); }

uint64_t PrimeList::MemoryBytes() const {
  const Table& t = *table_;
  uint64_t bytes = sizeof(Table) + t.sieving.capacity() * sizeof(SievingPrime);
  if (t.pattern) bytes += kPatternBytes;
  if (t.segment) bytes += uint64_t{kSegmentWords} * sizeof(uint64_t);
  for (const auto& chunk : t.chunks) {
    if (chunk) bytes += uint64_t{kChunkBlocks} * sizeof(Block);
  }
  return bytes;
}
