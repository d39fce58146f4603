#include "lists/PrimeBlock.h"

#include <algorithm>
#include <cstring>

#include "lists/WordSelect.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define TALLYRA_X86_READS 1
// The functions that use the instructions beyond the baseline: called only
// where FastReader found them.
#define TALLYRA_X86_TARGET __attribute__((target("popcnt,bmi,bmi2,avx2")))
#endif

namespace tallyra {

namespace {

// Where each offset's low part begins (a table, so that a read does not
// branch on which word holds it).
struct LowBits {
  uint16_t bit[PrimeBlock::kPrimes] = {};
  template <typename Place>
  constexpr explicit LowBits(Place place) {
    for (uint32_t k = 0; k < PrimeBlock::kPrimes; ++k) bit[k] = static_cast<uint16_t>(place(k));
  }
};

constexpr LowBits kLowBits([](uint32_t k) { return PrimeBlock::LowBit(k); });

// Where a grouped block's read of prime k finds what it needs, from k alone:
// the bit 1 << rank to select with, its word and rank, the low part's word
// and its place (as bextr takes it: the shift, and 3 bits), and the byte of
// the group's first high part with the mask that keeps it (none for word 0,
// whose first high part is 0).
struct ReadPlace {
  uint64_t rank_bit;
  uint16_t low_control;
  uint8_t word;
  uint8_t rank;
  uint8_t low_word;
  uint8_t group_byte;
  uint8_t group_mask;
  uint8_t unused;
};
static_assert(sizeof(ReadPlace) == 16, "a place in 16 bytes");

struct ReadPlaces {
  ReadPlace place[PrimeBlock::kPrimes] = {};
  constexpr ReadPlaces() {
    for (uint32_t k = 0; k < PrimeBlock::kPrimes; ++k) {
      ReadPlace& at = place[k];
      at.word = static_cast<uint8_t>(k / PrimeBlock::kGroupPrimes);
      at.rank = static_cast<uint8_t>(k % PrimeBlock::kGroupPrimes);
      at.rank_bit = uint64_t{1} << at.rank;
      const uint32_t low_bit = PrimeBlock::LowBit(k);
      at.low_word = static_cast<uint8_t>(low_bit / 64);
      at.low_control = static_cast<uint16_t>(low_bit % 64 | 3 << 8);
      at.group_byte = static_cast<uint8_t>(7 * 8 - 1 + at.word);
      at.group_mask = at.word == 0 ? 0 : 0xFF;
    }
  }
};
constexpr ReadPlaces kReadPlaces;

}  // namespace

inline uint32_t PrimeBlock::Low(uint32_t k) const {
  const uint32_t bit = kLowBits.bit[k];
  return static_cast<uint32_t>(words_[bit / 64] >> (bit % 64)) & 7;
}

bool PrimeBlock::Encode(const uint32_t* positions, uint32_t count) {
  const uint32_t quotient = positions[0] >> 3;
  const uint32_t base = 8 * quotient;
  const auto high = [&](uint32_t k) { return (positions[k] - base) >> 3; };
  // Grouped when every group's bits fit its word, else the whole field (if
  // even that does not fit, the block is refused).
  bool grouped = true;
  for (uint32_t first = 0; first < count; first += kGroupPrimes) {
    const uint32_t last = std::min(count, first + kGroupPrimes) - 1;
    grouped = grouped && high(last) - high(first) + (last - first) < 64;
  }
  if (!grouped && high(count - 1) + (count - 1) >= kUpperBits) return false;
  // Each word is filled in a register and stored once, so that coding keeps
  // up with the sieve: the low parts, then the upper field's bits (their
  // places only grow).
  uint64_t words[8] = {};
  for (uint32_t k = 0; k < count;) {
    const uint32_t bit = LowBit(k);
    const uint32_t end =
        std::min(count, k < 4 * kLowsAWord ? (k / kLowsAWord + 1) * kLowsAWord : kPrimes);
    uint64_t low = 0;
    for (uint32_t i = k; i < end; ++i) low |= uint64_t{(positions[i] - base) & 7} << (3 * (i - k));
    words[bit / 64] |= low << (bit % 64);
    k = end;
  }
  // The word being filled is stored after every bit (a plain store, no load
  // after it), so that moving on to the next word needs no branch.
  uint64_t upper_words[kLowWord] = {};
  uint64_t upper = 0;
  uint32_t upper_word = 0;
  const uint32_t group_highs[kLowWord] = {0, count > kGroupPrimes ? high(kGroupPrimes) : 0,
                                          count > 2 * kGroupPrimes ? high(2 * kGroupPrimes) : 0};
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t group = k / kGroupPrimes;
    const uint32_t bit =
        grouped ? 64 * group + high(k) - group_highs[group] + k % kGroupPrimes : high(k) + k;
    upper &= uint64_t{0} - uint64_t{bit / 64 == upper_word};  // kept within a word
    upper_word = bit / 64;
    upper |= uint64_t{1} << (bit % 64);
    upper_words[upper_word] = upper;
  }
  for (uint32_t w = 0; w < kLowWord; ++w) words[w] = upper_words[w];
  if (grouped) {
    words[7] |= group_highs[1] | group_highs[2] << 8;
  } else {
    const uint32_t before1 = word_select::BitCount(upper_words[0]);
    const uint32_t before2 = before1 + word_select::BitCount(upper_words[1]);
    words[7] |= before1 | before2 << 8 | kWholeField;
  }
  words[7] |= uint64_t{quotient} << kFirstShift;
  std::memcpy(words_, words, sizeof(words_));
  return true;
}

namespace {

// Tables for decoding a block: for a byte v of the upper field, count[v] its
// set bits, highs[v] in byte j, for its set bit j at bit t, t - j, and
// zeros[v] its zeros in every byte.
struct DecodeTables {
  uint64_t highs[256] = {};
  uint64_t zeros[256] = {};
  uint8_t count[256] = {};
  constexpr DecodeTables() {
    for (uint32_t v = 0; v < 256; ++v) {
      uint32_t j = 0;
      for (uint32_t t = 0; t < 8; ++t) {
        if ((v & (1u << t)) == 0) continue;
        highs[v] |= uint64_t{t - j} << (8 * j);
        ++j;
      }
      count[v] = static_cast<uint8_t>(j);
      zeros[v] = (8 - j) * word_select::kOnes8;
    }
  }
};
constexpr DecodeTables kDecode;

// Room for every prime, rounded up to 16 so that what is formed from them is
// formed 16 at a time; the last byte of the upper field writes 8 bytes from
// the count before it on.
constexpr uint32_t kRoom = (PrimeBlock::kPrimes + 15) / 16 * 16;
constexpr uint32_t kHighsRoom = kRoom + 8;
static_assert(kHighsRoom >= PrimeBlock::kPrimes + 8, "room for every high part written");

// The high part of each prime's offset, a byte of the upper field at a time
// without branches on its bits: prime k at bit t has the high part t - k
// (whole field), or the group's first high part plus t - (k mod 30) within
// its word (grouped); so the zeros before the byte plus its own t - j within
// it (below 256, so that the eight bytes added at once never carry), the
// zeros counted from the word's start when grouped. `group_highs` are the
// hint bytes of a grouped block. Answers the count of primes.
inline uint32_t DecodeHighs(const uint64_t* words, bool grouped, uint32_t group_highs,
                            uint8_t* highs /* room kHighsRoom */) {
  uint32_t k = 0;
  uint64_t zeros = 0;  // in each byte
  for (uint32_t w = 0; w < PrimeBlock::kUpperBits / 64; ++w) {
    // A group's primes follow the last one's (the groups before are full).
    const uint64_t group_zeros =
        ((uint64_t{group_highs} << 8) >> (8 * w) & 0xFF) * word_select::kOnes8;
    zeros = grouped ? group_zeros : zeros;
    for (uint32_t g = 0; g < 8; ++g) {
      const auto v = static_cast<uint32_t>(words[w] >> (8 * g)) & 0xFF;
      const uint64_t h = kDecode.highs[v] + zeros;
      std::memcpy(highs + k, &h, 8);
      k += kDecode.count[v];
      zeros += kDecode.zeros[v];
    }
  }
  return k;
}

}  // namespace

// A read of a block coded in the whole field (a few hundred below 2^32): the
// hints say which word holds set bit k and the rank in it.
template <typename Select>
uint32_t PrimeBlock::NumberInWholeField(const PrimeBlock& block, uint32_t k, Select select) {
  const uint64_t last = block.words_[7];
  const uint32_t against = ((k * 0x0101u) | 0x8080u) - (static_cast<uint32_t>(last) & 0x7F7Fu);
  const uint32_t word = ((against >> 7) & 1) + ((against >> 15) & 1);
  const uint32_t rank = (((against << 8) | k) >> (8 * word)) & 63;
  const uint32_t bit = select(block.words_[word], rank);
  return 30 * (FirstQuotient(last) + 64 * word + bit - k) + PrimeSieve::kWheel[block.Low(k)];
}

inline uint32_t PrimeBlock::GroupHigh(uint32_t word) const {
  // Byte 55 + word of the block: the hint bytes of word 7 for words 1 and 2;
  // masked away for word 0, whose first high part is 0.
  const auto* bytes = reinterpret_cast<const unsigned char*>(words_);
  return bytes[55 + word] & (0u - (word != 0));
}

uint32_t PrimeBlock::DecodeHighParts(uint8_t* highs) const {
  const uint64_t last = words_[7];
  return DecodeHighs(words_, (last & kWholeField) == 0, static_cast<uint32_t>(last) & 0xFFFF,
                     highs);
}

uint32_t PrimeBlock::NumberAtPortable(const PrimeBlock& block, uint32_t k) {
  const uint64_t last = block.words_[7];
  if ((last & kWholeField) != 0) return NumberInWholeField(block, k, word_select::SelectBit);
  const uint32_t word = k / kGroupPrimes;
  const uint32_t bit = word_select::SelectBit(block.words_[word], k - kGroupPrimes * word);
  return 30 * (FirstQuotient(last) + block.GroupHigh(word) + bit - k % kGroupPrimes) +
         PrimeSieve::kWheel[block.Low(k)];
}

uint32_t PrimeBlock::DecodePortable(const PrimeBlock& block, uint32_t* out) {
  uint8_t highs[kHighsRoom] = {};  // past the count: never used
  const uint32_t count = block.DecodeHighParts(highs);
  const uint32_t base = 30 * FirstQuotient(block.words_[7]);
  uint32_t k = 0;
  for (uint32_t w = kLowWord; w < 7; ++w) {
    const uint64_t lows = block.words_[w];
    for (uint32_t i = 0; i < kLowsAWord; ++i, ++k) {
      out[k] = base + 30 * highs[k] + PrimeSieve::kWheel[(lows >> (3 * i)) & 7];
    }
  }
  const uint64_t lows = block.words_[7] >> kLastLowsStart;
  for (uint32_t i = 0; k < kPrimes; ++i, ++k) {
    out[k] = base + 30 * highs[k] + PrimeSieve::kWheel[(lows >> (3 * i)) & 7];
  }
  return count;
}

PrimeBlock::Reader PrimeBlock::PortableReader() { return {&NumberAtPortable, &DecodePortable}; }

#ifdef TALLYRA_X86_READS

namespace {

// The bit of x's set bit r (x has more than r set bits).
TALLYRA_X86_TARGET inline uint32_t SelectBitX86(uint64_t x, uint32_t r) {
#if defined(__x86_64__)
  return static_cast<uint32_t>(_tzcnt_u64(_pdep_u64(uint64_t{1} << r, x)));
#else
  // 32-bit: in the half that holds it.
  const auto low = static_cast<uint32_t>(x);
  const auto in_low = static_cast<uint32_t>(_mm_popcnt_u32(low));
  const bool upper = r >= in_low;
  const uint32_t half = upper ? static_cast<uint32_t>(x >> 32) : low;
  const uint32_t rank = upper ? r - in_low : r;
  return 32 * upper + _tzcnt_u32(_pdep_u32(1u << rank, half));
#endif
}

// Eight 3-bit parts from the low bits of v, one a byte.
TALLYRA_X86_TARGET inline uint64_t SpreadLows(uint32_t v) {
  constexpr uint32_t kThree = 0x07070707u;
  const uint64_t low = _pdep_u32(v & 0xFFF, kThree);
  return low | uint64_t{_pdep_u32((v >> 12) & 0xFFF, kThree)} << 32;
}

}  // namespace

TALLYRA_X86_TARGET uint32_t PrimeBlock::NumberAtX86(const PrimeBlock& block, uint32_t k) {
  const uint64_t last = block.words_[7];
  if ((last & kWholeField) != 0) return NumberInWholeField(block, k, SelectBitX86);
  // The word and the rank in it follow from k alone (a table has them, and
  // where the other parts lie): only the select, the group's first high
  // part and the low part wait for the block's line.
  const ReadPlace& at = kReadPlaces.place[k];
  const auto* bytes = reinterpret_cast<const unsigned char*>(block.words_);
  const uint32_t group_high = bytes[at.group_byte] & at.group_mask;
#if defined(__x86_64__)
  const auto bit = static_cast<uint32_t>(_tzcnt_u64(_pdep_u64(at.rank_bit, block.words_[at.word])));
  const auto low = static_cast<uint32_t>(__bextr_u64(block.words_[at.low_word], at.low_control));
#else
  const uint32_t bit = SelectBitX86(block.words_[at.word], at.rank);
  const uint32_t low = block.Low(k);
#endif
  return 30 * (FirstQuotient(last) - at.rank + group_high + bit) + PrimeSieve::kWheel[low];
}

TALLYRA_X86_TARGET uint32_t PrimeBlock::DecodeX86(const PrimeBlock& block, uint32_t* out) {
  alignas(32) uint8_t highs[kHighsRoom] = {};  // past the count: never used
  const uint32_t count = block.DecodeHighParts(highs);
  // The low parts, one a byte, eight at a time; each word's 21 as 24 bytes,
  // the 3 past them overwritten by the next word's.
  alignas(32) uint8_t lows[kRoom + 8];
  for (uint32_t w = kLowWord; w < 7; ++w) {
    const uint64_t word = block.words_[w];
    const uint64_t spread[3] = {SpreadLows(static_cast<uint32_t>(word)),
                                SpreadLows(static_cast<uint32_t>(word >> 24)),
                                SpreadLows(static_cast<uint32_t>(word >> 48))};
    std::memcpy(lows + kLowsAWord * (w - kLowWord), spread, sizeof(spread));
  }
  const uint64_t last = SpreadLows(static_cast<uint32_t>(block.words_[7] >> kLastLowsStart));
  std::memcpy(lows + 4 * kLowsAWord, &last, 8);
  std::memset(lows + 4 * kLowsAWord + 8, 0, kRoom - 4 * kLowsAWord);
  // Each prime's number, eight at a time: 30 (q + high) + the wheel's low-th.
  const __m256i base = _mm256_set1_epi32(static_cast<int>(30 * FirstQuotient(block.words_[7])));
  const __m256i wheel = _mm256_setr_epi32(1, 7, 11, 13, 17, 19, 23, 29);
  for (uint32_t i = 0; i < kRoom; i += 8) {
    __m128i h8, l8;
    std::memcpy(&h8, highs + i, 8);
    std::memcpy(&l8, lows + i, 8);
    const __m256i h = _mm256_cvtepu8_epi32(h8);
    const __m256i h30 = _mm256_sub_epi32(_mm256_slli_epi32(h, 5), _mm256_slli_epi32(h, 1));
    const __m256i n = _mm256_add_epi32(
        _mm256_add_epi32(base, h30), _mm256_permutevar8x32_epi32(wheel, _mm256_cvtepu8_epi32(l8)));
    if (i + 8 <= kPrimes) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), n);
    } else {
      const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
      const __m256i room = _mm256_set1_epi32(static_cast<int>(kPrimes - i));
      _mm256_maskstore_epi32(reinterpret_cast<int*>(out + i), _mm256_cmpgt_epi32(room, lanes), n);
    }
  }
  return count;
}

PrimeBlock::Reader PrimeBlock::FastReader() {
  __builtin_cpu_init();
  const bool has = __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi") &&
                   __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("avx2");
  // AMD's processors before Zen 3 run pdep in microcode, slower than the
  // portable select.
  const bool slow_pdep = __builtin_cpu_is("amdfam17h");
  if (!has || slow_pdep) return {nullptr, nullptr};
  return {&NumberAtX86, &DecodeX86};
}

#else

PrimeBlock::Reader PrimeBlock::FastReader() { return {nullptr, nullptr}; }

#endif

PrimeBlock::Reader PrimeBlock::BestReader() {
  static const Reader best = [] {
    const Reader fast = FastReader();
    return fast.number_at != nullptr ? fast : PortableReader();
  }();
  return best;
}

}  // namespace tallyra
