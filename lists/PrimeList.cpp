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

// The sieve removes the multiples of the primes from 7 to 83 by patterns: the
// multiples of a group of primes repeat after as many bytes as the group's
// product, and the first pattern is copied into a block, the others ANDed into
// it. It crosses off the multiples of the primes from 89 up to 65521 (every
// prime below the square root of 2^32) one by one.
struct PatternGroup {
  uint32_t primes[4];  // 0 where a group has fewer
  uint32_t bytes;      // the product
};
constexpr PatternGroup kPatternGroups[] = {{{7, 11, 13, 17}, 17017}, {{19, 23, 29, 0}, 12673},
                                           {{31, 37, 41, 0}, 47027}, {{43, 47, 0, 0}, 2021},
                                           {{53, 59, 0, 0}, 3127},   {{61, 67, 0, 0}, 4087},
                                           {{71, 73, 0, 0}, 5183},   {{79, 83, 0, 0}, 6557}};
constexpr uint32_t kPatternCount = sizeof kPatternGroups / sizeof kPatternGroups[0];
constexpr uint32_t PatternTotal() {
  uint32_t total = 0;
  for (const PatternGroup& g : kPatternGroups) total += g.bytes;
  return total;
}
constexpr uint32_t kPatternTotal = PatternTotal();
constexpr uint32_t kFirstSievingPrime = 89;
constexpr uint32_t kSievingLimit = 1u << 16;
// The primes of this many words are decoded at a time before they are stored.
constexpr uint32_t kBatchWords = 64;
constexpr uint32_t kDecodedSize = 1 + kBatchWords * 64 + 16;
// Primes below this many have many multiples in a segment and are sieved one
// block of kBlockBytes (fits the L1 cache) at a time.
constexpr uint32_t kSmallSievingLimit = 4096;
constexpr uint32_t kBlockBytes = 32 * 1024;

// The table: the primes from 3 on (the table's prime j is the list's j + 1), 49
// to a block of one cache line: the 48 gaps after the block's first prime,
// halved; the sums of the first 8, 16, ..., 48 of them; the first prime.
constexpr uint32_t kPerBlock = PrimeList::kPrimesPerBlock;
constexpr uint32_t kGapsPerBlock = kPerBlock - 1;
constexpr uint32_t kGapsPerSum = 8;  // one 64-bit word of gaps
constexpr uint32_t kSumsPerBlock = kGapsPerBlock / kGapsPerSum;
struct alignas(64) Block {
  uint8_t gaps[kGapsPerBlock];   // gaps[u]: (prime u+1 - prime u) / 2, counted in the block
  uint16_t sums[kSumsPerBlock];  // sums[q]: gaps[0] + ... + gaps[8 (q+1) - 1]
  uint32_t first;
};
static_assert(sizeof(Block) == 64 && kGapsPerBlock % kGapsPerSum == 0, "a block is one cache line");
constexpr uint32_t kStored = PrimeList::kLastIndex;  // the primes from 3 to 4294967291
constexpr uint32_t kBlockCount = (kStored + kPerBlock - 1) / kPerBlock;
constexpr uint32_t kChunkBlocks = PrimeList::kBlocksPerChunk;
constexpr uint32_t kChunkCount = (kBlockCount + kChunkBlocks - 1) / kChunkBlocks;
// Blocks in chunk c: kChunkBlocks, but for the last, which holds the rest.
constexpr uint32_t ChunkSize(uint32_t c) {
  return c + 1 < kChunkCount ? kChunkBlocks : kBlockCount - c * kChunkBlocks;
}
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
  }
};
constexpr WheelTables kTables;

// The sum of the eight bytes of x.
inline uint32_t ByteSum(uint64_t x) {
  constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
  const uint64_t lanes = (x & kEvenBytes) + ((x >> 8) & kEvenBytes);
  return static_cast<uint32_t>((lanes * 0x0001000100010001ull) >> 48);
}

// The set bits of x, inline on every target (the baseline x86-64 has no
// popcount instruction, and the library's routine is a call).
inline uint32_t BitCount(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<uint32_t>((x * 0x0101010101010101ull) >> 56);
}

// The sum of a block's first n halved gaps (n at most 48), without branches
// (they would hang on the block's bytes): a stored sum plus at most 7 bytes.
inline uint32_t HalfGapSum(const Block& block, uint32_t n) {
  const uint32_t q = n / kGapsPerSum;
  uint64_t x;  // for n = 48 this word is the sums, masked out below
  std::memcpy(&x, block.gaps + q * kGapsPerSum, sizeof x);
  // sums[q - 1], or for q = 0 two gaps, masked out
  uint16_t before;
  std::memcpy(&before, reinterpret_cast<const unsigned char*>(&block) + kGapsPerBlock + 2 * q - 2,
              sizeof before);
  const uint32_t keep = 0u - static_cast<uint32_t>(q != 0);
  const uint64_t below = (uint64_t{1} << (8 * (n % kGapsPerSum))) - 1;  // the gaps before n
  return (before & keep) + ByteSum(x & below);
}

// Crosses off whole wheel cycles of a prime p = 30a + kWheel[R], the first at
// segment byte x, while the cycle ends before `full`; answers where the next
// cycle begins. The masks are constants, so all eight stay out of registers.
template <uint32_t R>
inline uint32_t CrossOffCycles(uint8_t* seg, uint32_t x, uint32_t full, uint32_t p,
                               const uint32_t* d) {
  constexpr uint8_t m0 = kTables.mask[R][0], m1 = kTables.mask[R][1], m2 = kTables.mask[R][2];
  constexpr uint8_t m3 = kTables.mask[R][3], m4 = kTables.mask[R][4], m5 = kTables.mask[R][5];
  constexpr uint8_t m6 = kTables.mask[R][6], m7 = kTables.mask[R][7];
  const uint32_t d1 = d[1], d2 = d[2], d3 = d[3], d4 = d[4], d5 = d[5], d6 = d[6], d7 = d[7];
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
  return x;
}

// A prime that crosses off multiples, and where its next multiple lies: the
// byte from the start of the sieve (below 2^29) and, in the top 3 bits, the
// wheel index of the multiplier.
struct SievingPrime {
  uint32_t prime;
  uint32_t next;
};

// Crosses off the multiples of sp.prime in the segment bytes b0 .. b1-1 (seg
// holding byte b0) and keeps where the next one lies.
inline void CrossOff(SievingPrime& sp, uint8_t* seg, uint32_t b0, uint32_t b1) {
  const uint32_t size = b1 - b0;
  const uint32_t p = sp.prime;
  const uint32_t pos = sp.next & 0x1FFFFFFFu;
  if (pos >= b1) return;
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
      return;
    }
    x += p;
    i = 0;
  }
  if (size > d[7]) {
    switch (r) {
      case 0:
        x = CrossOffCycles<0>(seg, x, size - d[7], p, d);
        break;
      case 1:
        x = CrossOffCycles<1>(seg, x, size - d[7], p, d);
        break;
      case 2:
        x = CrossOffCycles<2>(seg, x, size - d[7], p, d);
        break;
      case 3:
        x = CrossOffCycles<3>(seg, x, size - d[7], p, d);
        break;
      case 4:
        x = CrossOffCycles<4>(seg, x, size - d[7], p, d);
        break;
      case 5:
        x = CrossOffCycles<5>(seg, x, size - d[7], p, d);
        break;
      case 6:
        x = CrossOffCycles<6>(seg, x, size - d[7], p, d);
        break;
      default:
        x = CrossOffCycles<7>(seg, x, size - d[7], p, d);
        break;
    }
  }
  while (x + d[i] < size) {  // ends before i reaches 8: the full cycles are done
    seg[x + d[i]] &= mask[i];
    ++i;
  }
  sp.next = (b0 + x + d[i]) | (i << 29);
}

}  // namespace

struct PrimeList::Table {
  std::unique_ptr<Block[]> chunks[kChunkCount];
  std::vector<SievingPrime> sieving;    // empty until the first growth
  std::unique_ptr<uint8_t[]> patterns;  // each group's, one after another
  std::unique_ptr<uint64_t[]> segment;
  // The primes of a batch of words, decoded: entry 0 is the prime before the
  // batch, and decoding may write up to 15 entries past the last.
  std::unique_ptr<uint32_t[]> decoded;
  uint32_t sieved_words = 0;  // the sieve has covered words 0 .. sieved_words-1
  uint32_t stored = 0;        // primes in the table
  uint32_t last = 0;          // the last of them

  Block& BlockAt(uint32_t b) const { return chunks[b / kChunkBlocks][b % kChunkBlocks]; }

  uint64_t Known() const {
    return std::max<uint64_t>(PrimeList::kStartCount, uint64_t{1} + stored);
  }

  bool Prepare();
  bool SieveNextSegment();
  void Sieve(uint32_t w0, uint32_t w1);
  void ApplyPatterns(uint8_t* out, uint32_t from, uint32_t size) const;
  void StoreSegment(uint32_t w0, uint32_t w1);
  // Stores the first primes, which the sieve does not give.
  void StoreFirst() {
    BlockAt(0).first = 3;
    BlockAt(0).gaps[0] = 1;
    stored = 2;
    last = 5;
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

// Builds the sieving primes, the patterns and the segment; false when memory
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
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[kPatternTotal]);
    std::memset(bytes.get(), 0xFF, kPatternTotal);
    uint8_t* group_bytes = bytes.get();
    for (const PatternGroup& group : kPatternGroups) {
      for (uint32_t p : group.primes) {
        if (p == 0) break;
        for (uint64_t n = p; n < uint64_t{group.bytes} * 30; n += 2 * p) {
          const auto r = static_cast<uint32_t>(n % 30);
          if (r % 3 == 0 || r % 5 == 0) continue;
          group_bytes[n / 30] &= static_cast<uint8_t>(~(1u << kTables.index_of[r]));
        }
      }
      group_bytes += group.bytes;
    }
    std::unique_ptr<uint64_t[]> words(new uint64_t[kSegmentWords]);
    std::unique_ptr<uint32_t[]> batch(new uint32_t[kDecodedSize]);
    sieving.swap(primes);
    patterns = std::move(bytes);
    segment = std::move(words);
    decoded = std::move(batch);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Writes the patterns' bytes for the sieve bytes from .. from+size-1 to out.
void PrimeList::Table::ApplyPatterns(uint8_t* out, uint32_t from, uint32_t size) const {
  const uint8_t* group_bytes = patterns.get();
  for (uint32_t g = 0; g < kPatternCount; ++g) {
    const uint32_t period = kPatternGroups[g].bytes;
    for (uint32_t done = 0, at = from % period; done < size;) {
      const uint32_t n = std::min(size - done, period - at);
      if (g == 0) {
        std::memcpy(out + done, group_bytes + at, n);
      } else {
        uint8_t* o = out + done;
        const uint8_t* in = group_bytes + at;
        for (uint32_t i = 0; i < n; ++i) o[i] &= in[i];
      }
      done += n;
      at = 0;
    }
    group_bytes += period;
  }
  if (from == 0) {
    // The patterns' own primes are in; 1 is not.
    out[0] &= 0xFE;
    for (const PatternGroup& group : kPatternGroups) {
      for (uint32_t p : group.primes) {
        if (p != 0) out[p / 30] |= static_cast<uint8_t>(1u << kTables.index_of[p % 30]);
      }
    }
  }
}

// Sieves words w0 .. w1-1 into the segment: afterwards a bit is set exactly
// when its number is a prime from 7 on and below 2^32.
void PrimeList::Table::Sieve(uint32_t w0, uint32_t w1) {
  uint8_t* seg = reinterpret_cast<uint8_t*>(segment.get());
  const uint32_t b0 = w0 * 8;
  const uint32_t b1 = w1 * 8;

  // One L1-sized block at a time: the patterns, then the multiples of the
  // small sieving primes (many multiples each) whose square lies below the
  // block's end. Then the other sieving primes over the whole segment.
  const uint64_t end_number = uint64_t{b1} * 30;
  size_t k = 0;
  for (uint32_t s0 = b0; s0 < b1; s0 += kBlockBytes) {
    const uint32_t s1 = std::min(s0 + kBlockBytes, b1);
    ApplyPatterns(seg + (s0 - b0), s0, s1 - s0);
    const uint64_t block_end = uint64_t{s1} * 30;
    for (k = 0; k < sieving.size() && sieving[k].prime < kSmallSievingLimit; ++k) {
      if (uint64_t{sieving[k].prime} * sieving[k].prime >= block_end) break;
      CrossOff(sieving[k], seg + (s0 - b0), s0, s1);
    }
  }
  for (; k < sieving.size(); ++k) {
    if (uint64_t{sieving[k].prime} * sieving[k].prime >= end_number) break;
    CrossOff(sieving[k], seg, b0, b1);
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
  // The chunks that the segment's primes may reach (they are fewer than its
  // bits), allocated first so that a failure changes nothing.
  const uint32_t most = std::min(stored + (w1 - w0) * 64 + 2, kStored);
  for (uint32_t c = stored / kPerBlock / kChunkBlocks; c <= (most - 1) / kPerBlock / kChunkBlocks;
       ++c) {
    if (!chunks[c]) {
      chunks[c].reset(new (std::nothrow) Block[ChunkSize(c)]);
      if (!chunks[c]) return false;
    }
  }

  // From here on nothing fails.
  if (w0 == 0) {
    StoreFirst();
  }
  Sieve(w0, w1);
  StoreSegment(w0, w1);
  sieved_words = w1;
  return true;
}

// Stores the primes of the sieved segment, a batch of words at a time: the
// batch's primes are decoded into a buffer, eight to a step whatever a word
// holds (so that the branches do not hang on the bits), then packed into
// blocks, the gaps from neighbouring entries (so that the packing vectorises)
// and each sum once its eight gaps are in.
void PrimeList::Table::StoreSegment(uint32_t w0, uint32_t w1) {
  uint32_t* buffer = decoded.get();
  const uint64_t* words = segment.get();
  uint32_t n = stored;
  buffer[0] = last;
  for (uint32_t batch = w0; batch < w1; batch += kBatchWords) {
    const uint32_t batch_end = std::min(batch + kBatchWords, w1);
    uint32_t count = 0;
    for (uint32_t w = batch; w < batch_end; ++w) {
      uint64_t bits = words[w - w0];
      const uint32_t base = w * kWordNumbers;
      const uint32_t in_word = BitCount(bits);
      uint32_t* out = buffer + 1 + count;
      // Past the word's last prime, the top bit stands in (the entries written
      // then lie past the count and are overwritten or ignored).
      for (uint32_t k = 0; k < 8; ++k) {
        out[k] = base + kTables.word_offset[__builtin_ctzll(bits | (uint64_t{1} << 63))];
        bits &= bits - 1;
      }
      if (in_word > 8) {
        for (uint32_t k = 8; k < 16; ++k) {
          out[k] = base + kTables.word_offset[__builtin_ctzll(bits | (uint64_t{1} << 63))];
          bits &= bits - 1;
        }
        for (uint32_t k = 16; bits != 0; ++k) {
          out[k] = base + kTables.word_offset[__builtin_ctzll(bits)];
          bits &= bits - 1;
        }
      }
      count += in_word;
    }
    for (uint32_t e = 1; e <= count;) {  // e: the buffer entry to store next
      const uint32_t u = n % kPerBlock;
      Block& block = BlockAt(n / kPerBlock);
      if (u == 0) {
        block.first = buffer[e++];
        ++n;
        continue;
      }
      const uint32_t take = std::min(kPerBlock - u, count + 1 - e);
      uint8_t* gaps = block.gaps + (u - 1);
      const uint32_t* primes = buffer + e;
      const uint32_t* before = buffer + e - 1;
      for (uint32_t t = 0; t < take; ++t) {
        gaps[t] = static_cast<uint8_t>((primes[t] - before[t]) >> 1);
      }
      // The sums whose eight gaps are now all in.
      for (uint32_t q = (u - 1) / kGapsPerSum; (q + 1) * kGapsPerSum <= u - 1 + take; ++q) {
        uint64_t group;
        std::memcpy(&group, block.gaps + q * kGapsPerSum, sizeof group);
        block.sums[q] = static_cast<uint16_t>((q == 0 ? 0 : block.sums[q - 1]) + ByteSum(group));
      }
      e += take;
      n += take;
    }
    buffer[0] = buffer[count];
  }
  stored = n;
  last = buffer[0];
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
  const uint32_t u = j - block * kPerBlock;
  if (index + 2 - window_first_ <= window_count_ + 2) {
    // Next to the window (index order, either way): decode the block, for the
    // reads around it.
    window_count_ = 0;
    const uint32_t count = t.Decode(block, window_);
    window_first_ = index - u;
    window_count_ = count;
    return window_[u];
  }
  // Elsewhere: read the block in place, and leave an empty window right after
  // the index, so that reading on from here in either direction decodes.
  window_first_ = index + 1;
  window_count_ = 0;
  return t.StoredPrime(block, u);
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

Element PrimeList::ElementAt(uint32_t index, WorkBudget& budget) {
  if (!budget.Charge(work_cost::kPrimeRead)) return Element::None();
  const uint32_t prime = PrimeAt(index);
  if (prime == 0) return Element::None();
  return Element::Number(static_cast<double>(prime));
}

uint64_t PrimeList::KnownCount() const { return table_->Known(); }

uint64_t PrimeList::MemoryBytes() const {
  const Table& t = *table_;
  uint64_t bytes = sizeof(Table) + t.sieving.capacity() * sizeof(SievingPrime);
  if (t.patterns) bytes += kPatternTotal;
  if (t.segment) bytes += uint64_t{kSegmentWords} * sizeof(uint64_t);
  if (t.decoded) bytes += uint64_t{kDecodedSize} * sizeof(uint32_t);
  for (uint32_t c = 0; c < kChunkCount; ++c) {
    if (t.chunks[c]) bytes += uint64_t{ChunkSize(c)} * sizeof(Block);
  }
  return bytes;
}
