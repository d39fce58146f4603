#include "lists/PrimeSieve.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace tallyra {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the sieve reads bytes as parts of 64-bit words");

namespace {

constexpr uint64_t kLimit = uint64_t{1} << 32;  // every prime kept lies below

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
// Primes below this many have many multiples in a segment and are sieved one
// block of kBlockBytes (fits the L1 cache) at a time.
constexpr uint32_t kSmallSievingLimit = 4096;
constexpr uint32_t kBlockBytes = 32 * 1024;

// Tables derived from the wheel.
struct WheelTables {
  uint8_t index_of[30] = {};     // residue mod 30 -> its bit (for residues in the wheel)
  uint8_t word_offset[64] = {};  // bit of a word -> its number's offset from the word's start
  // For a prime p = 30a + kWheel[r], its multiple p * (30k + kWheel[i]) lies in
  // byte p k + a kWheel[i] + carry[r][i], at the bit that mask[r][i] clears.
  uint8_t carry[8][8] = {};
  uint8_t mask[8][8] = {};

  constexpr WheelTables() {
    constexpr uint32_t wheel[8] = {1, 7, 11, 13, 17, 19, 23, 29};
    for (uint32_t k = 0; k < 8; ++k) index_of[wheel[k]] = static_cast<uint8_t>(k);
    for (uint32_t b = 0; b < 64; ++b) {
      word_offset[b] = static_cast<uint8_t>(30 * (b / 8) + wheel[b % 8]);
    }
    for (uint32_t r = 0; r < 8; ++r) {
      for (uint32_t i = 0; i < 8; ++i) {
        const uint32_t product = wheel[r] * wheel[i];
        carry[r][i] = static_cast<uint8_t>(product / 30);
        mask[r][i] = static_cast<uint8_t>(~(1u << index_of[product % 30]));
      }
    }
  }
};
constexpr WheelTables kTables;

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

}  // namespace

// Crosses off the multiples of sp.prime in the segment bytes b0 .. b1-1 (seg
// holding byte b0) and keeps where the next one lies.
inline void PrimeSieve::CrossOff(SievingPrime& sp, uint8_t* seg, uint32_t b0, uint32_t b1) {
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

bool PrimeSieve::Prepare() {
  if (patterns_) return true;
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
    sieving_.swap(primes);
    patterns_ = std::move(bytes);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void PrimeSieve::RestartAt(uint32_t w0) {
  const uint64_t start = uint64_t{w0} * kWordNumbers;
  for (SievingPrime& sp : sieving_) {
    // The least multiplier coprime to 30, at least the prime itself, whose
    // multiple lies at or past the start.
    const uint64_t p = sp.prime;
    uint64_t m = std::max<uint64_t>(p, (start + p - 1) / p);
    while (m % 2 == 0 || m % 3 == 0 || m % 5 == 0) ++m;
    sp.next = static_cast<uint32_t>(p * m / 30) | (uint32_t{kTables.index_of[m % 30]} << 29);
  }
}

uint64_t PrimeSieve::MemoryBytes() const {
  return sieving_.capacity() * sizeof(SievingPrime) + (patterns_ ? kPatternTotal : 0);
}

// Writes the patterns' bytes for the sieve bytes from .. from+size-1 to out.
void PrimeSieve::ApplyPatterns(uint8_t* out, uint32_t from, uint32_t size) const {
  const uint8_t* group_bytes = patterns_.get();
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

void PrimeSieve::Sieve(uint64_t* out, uint32_t w0, uint32_t w1) {
  uint8_t* seg = reinterpret_cast<uint8_t*>(out);
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
    for (k = 0; k < sieving_.size() && sieving_[k].prime < kSmallSievingLimit; ++k) {
      if (uint64_t{sieving_[k].prime} * sieving_[k].prime >= block_end) break;
      CrossOff(sieving_[k], seg + (s0 - b0), s0, s1);
    }
  }
  for (; k < sieving_.size(); ++k) {
    if (uint64_t{sieving_[k].prime} * sieving_[k].prime >= end_number) break;
    CrossOff(sieving_[k], seg, b0, b1);
  }

  if (w1 == kTotalWords) {
    // The last word reaches past 2^32: keep only its numbers below.
    const uint64_t start = uint64_t{kTotalWords - 1} * kWordNumbers;
    uint64_t keep = 0;
    for (uint32_t bit = 0; bit < 64; ++bit) {
      if (start + kTables.word_offset[bit] < kLimit) keep |= uint64_t{1} << bit;
    }
    out[w1 - w0 - 1] &= keep;
  }
}

}  // namespace tallyra
