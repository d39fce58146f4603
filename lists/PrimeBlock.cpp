#include "lists/PrimeBlock.h"

#include <algorithm>
#include <cstring>

#include "lists/WordSelect.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define TALLYRA_X86_READS 1
// The functions that use the instructions beyond the baseline: called only
// where BestReader found them.
#define TALLYRA_X86_TARGET __attribute__((target("popcnt,bmi,bmi2,avx2")))
#endif

namespace tallyra {

bool PrimeBlock::Encode(const uint32_t* positions, uint32_t count) {
  const uint32_t first = positions[0];
  const uint32_t n = count - 1;  // offsets coded
  if (n != 0 && (((positions[n] - first) >> 2) + (n - 1) >= kUpperBits ||
                 ((positions[n] - first) >> 2) > kHighMost)) {
    return false;
  }
  // Each word is filled in a register and stored once, so that coding keeps
  // up with the sieve: the low parts (32 a word, from kLowStart), then the
  // upper field's bits (their places only grow).
  uint64_t words[8] = {};
  for (uint32_t k = 0; k < n;) {
    const uint32_t bit = kLowStart + 2 * k;
    const uint32_t end = std::min(n, k + (64 - bit % 64) / 2);
    uint64_t low = 0;
    for (uint32_t i = k; i < end; ++i)
      low |= uint64_t{(positions[i + 1] - first) & 3} << (2 * (i - k));
    words[bit / 64] |= low << (bit % 64);
    k = end;
  }
  // The word being filled is stored after every bit (a plain store, no load
  // after it), so that moving on to the next word needs no branch.
  uint64_t upper_words[kLastUpperWord + 1] = {};
  uint64_t upper = 0;
  uint32_t upper_word = 0;
  for (uint32_t k = 0; k < n; ++k) {
    const uint32_t bit = ((positions[k + 1] - first) >> 2) + k;
    upper &= uint64_t{0} - uint64_t{bit / 64 == upper_word};  // kept within a word
    upper_word = bit / 64;
    upper |= uint64_t{1} << (bit % 64);
    upper_words[upper_word] = upper;
  }
  for (uint32_t w = 0; w <= kLastUpperWord; ++w) words[w] |= upper_words[w];
  uint64_t last = uint64_t{first} << (kFirstStart - 448);
  uint32_t before = 0;
  for (uint32_t i = 0; i < kLastUpperWord; ++i) {
    before += word_select::BitCount(upper_words[i]);
    last |= uint64_t{before} << (kHintStart - 448 + 8 * i);
  }
  words[7] |= last;
  std::memcpy(words_, words, sizeof(words_));
  return true;
}

namespace {

// Tables for decoding a block: number[x], the number at position x counted
// from a multiple of 8 (30 for each 8 positions on); lows[v], the four 2-bit
// parts of the byte v, one a byte; for a byte v of the upper field, count[v]
// its set bits and highs[v] in byte j, for its set bit j at bit t, t - j.
struct DecodeTables {
  // The first position mod 8 and any offset that a block holds.
  static constexpr uint32_t kSpanPositions = 8 + 4 * (PrimeBlock::kHighMost + 1);
  uint16_t number[kSpanPositions] = {};
  uint32_t lows[256] = {};
  uint64_t highs[256] = {};
  uint8_t count[256] = {};
  constexpr DecodeTables() {
    for (uint32_t x = 0; x < kSpanPositions; ++x) {
      number[x] = static_cast<uint16_t>((x >> 3) * 30 + PrimeSieve::kWheel[x & 7]);
    }
    for (uint32_t v = 0; v < 256; ++v) {
      for (uint32_t i = 0; i < 4; ++i) lows[v] |= ((v >> (2 * i)) & 3) << (8 * i);
      uint32_t j = 0;
      for (uint32_t t = 0; t < 8; ++t) {
        if ((v & (1u << t)) == 0) continue;
        highs[v] |= uint64_t{t - j} << (8 * j);
        ++j;
      }
      count[v] = static_cast<uint8_t>(j);
    }
  }
};
constexpr DecodeTables kDecode;

// Room for the first prime and every offset, rounded up to 16 so that what
// is formed from them is formed 16 at a time; the last 8 bytes past it are
// written by the last byte of the upper field.
constexpr uint32_t kRoom = (PrimeBlock::kPrimes + 15) / 16 * 16;
static_assert(kRoom >= PrimeBlock::kPrimes, "room for every prime");

// The upper field's bits in its last word.
constexpr uint64_t kLastUpperMask = (uint64_t{1} << (PrimeBlock::kUpperBits % 64)) - 1;

// The high part of each offset, for offset k at highs[k + 1] (highs[0], the
// first prime's, is 0), a byte of the upper field at a time without branches
// on its bits: offset k at bit t has the high part t - k, which is the zeros
// before the byte plus its own t - j within it (at most kHighMost, so that the
// eight bytes added at once never carry). Answers the count of offsets.
inline uint32_t DecodeHighs(const uint64_t* words, uint8_t* highs /* room kRoom + 8 */) {
  highs[0] = 0;
  uint32_t k = 0;
  uint64_t zeros = 0;  // in each byte
  for (uint32_t w = 0; w < 5; ++w) {
    const uint64_t field = w < 4 ? words[w] : words[w] & kLastUpperMask;
    const uint32_t field_bytes = w < 4 ? 8 : (PrimeBlock::kUpperBits % 64 + 7) / 8;
    for (uint32_t g = 0; g < field_bytes; ++g) {
      const auto v = static_cast<uint32_t>(field >> (8 * g)) & 0xFF;
      const uint64_t h = kDecode.highs[v] + zeros;
      std::memcpy(highs + 1 + k, &h, 8);
      k += kDecode.count[v];
      zeros += (8 - kDecode.count[v]) * word_select::kOnes8;
    }
  }
  return k;
}

}  // namespace

uint32_t PrimeBlock::NumberAtPortable(const PrimeBlock& block, uint32_t r) {
  const uint32_t first = block.FirstOfCoded();
  if (r == 0) return Number(first);
  const uint32_t k = r - 1;  // its offset's place
  const uint32_t hints = block.Hints();
  const uint32_t word = ((HintsAtMost(hints, k) >> 7) * 0x01010101u) >> 24;
  const uint32_t bit = word_select::SelectBit(block.words_[word], k - Before(hints, word));
  return Number(first + 4 * (64 * word + bit - k) + block.Low(k));
}

uint32_t PrimeBlock::DecodePortable(const PrimeBlock& block, uint32_t* out) {
  const uint32_t first = block.First();
  // Numbers are counted from the multiple of 8 below the first position.
  const uint32_t base = (first >> 3) * 30;
  const uint32_t from = first & 7;
  // The low parts, one a byte, four at a time (lows[0], the first prime's,
  // is 0): the field's byte g begins at bit kLowStart + 8g.
  uint8_t lows[kRoom + 4];
  lows[0] = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(block.words_);
  for (uint32_t g = 0; g < kRoom / 4; ++g) {
    const uint32_t at = kLowStart / 8 + g;
    const uint32_t v = ((bytes[at] | uint32_t{bytes[at + 1]} << 8) >> (kLowStart % 8)) & 0xFF;
    std::memcpy(lows + 1 + 4 * g, &kDecode.lows[v], 4);
  }
  uint8_t highs[kRoom + 8] = {};  // past the offsets: never used
  const uint32_t count = 1 + DecodeHighs(block.words_, highs);
  // Each prime's place in the table of numbers, then its number.
  uint16_t places[kRoom];
  for (uint32_t i = 0; i < kRoom; ++i) {
    places[i] = static_cast<uint16_t>(from + 4 * highs[i] + lows[i]);
  }
  for (uint32_t i = 0; i < count; ++i) out[i] = base + kDecode.number[places[i]];
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

}  // namespace

TALLYRA_X86_TARGET uint32_t PrimeBlock::NumberAtX86(const PrimeBlock& block, uint32_t r) {
  const uint32_t first = block.FirstOfCoded();
  if (r == 0) return Number(first);
  const uint32_t k = r - 1;  // its offset's place
  const uint32_t hints = block.Hints();
  const auto word = static_cast<uint32_t>(_mm_popcnt_u32(HintsAtMost(hints, k)));
  const uint32_t bit = SelectBitX86(block.words_[word], k - Before(hints, word));
  return Number(first + 4 * (64 * word + bit - k) + block.Low(k));
}

TALLYRA_X86_TARGET uint32_t PrimeBlock::DecodeX86(const PrimeBlock& block, uint32_t* out) {
  const uint32_t first = block.First();
  // The low parts, one a byte, eight at a time (lows[0], the first prime's,
  // is 0): the field's 16 bits from kLowStart + 16g spread by BMI2.
  alignas(32) uint8_t lows[kRoom + 8];
  lows[0] = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(block.words_);
  for (uint32_t g = 0; g < kRoom / 8; ++g) {
    uint32_t v;
    std::memcpy(&v, bytes + kLowStart / 8 + 2 * g, 4);
    v = (v >> (kLowStart % 8)) & 0xFFFF;
    const uint32_t spread[2] = {_pdep_u32(v, 0x03030303u), _pdep_u32(v >> 8, 0x03030303u)};
    std::memcpy(lows + 1 + 8 * g, spread, 8);
  }
  alignas(32) uint8_t highs[kRoom + 8] = {};  // past the offsets: never used
  const uint32_t count = 1 + DecodeHighs(block.words_, highs);
  // Each prime's number, eight at a time: of the position p counted from the
  // multiple of 8 below the first, 30 (p / 8) + the wheel's (p mod 8)-th.
  const __m256i base = _mm256_set1_epi32(static_cast<int>((first >> 3) * 30));
  const __m256i from = _mm256_set1_epi32(static_cast<int>(first & 7));
  const __m256i wheel = _mm256_setr_epi32(1, 7, 11, 13, 17, 19, 23, 29);
  for (uint32_t i = 0; i < kRoom; i += 8) {
    __m128i h8, l8;
    std::memcpy(&h8, highs + i, 8);
    std::memcpy(&l8, lows + i, 8);
    const __m256i p =
        _mm256_add_epi32(_mm256_add_epi32(from, _mm256_slli_epi32(_mm256_cvtepu8_epi32(h8), 2)),
                         _mm256_cvtepu8_epi32(l8));
    const __m256i q = _mm256_srli_epi32(p, 3);
    const __m256i q30 = _mm256_sub_epi32(_mm256_slli_epi32(q, 5), _mm256_slli_epi32(q, 1));
    const __m256i n =
        _mm256_add_epi32(_mm256_add_epi32(base, q30), _mm256_permutevar8x32_epi32(wheel, p));
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
