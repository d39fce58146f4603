// PrimeSieve: a segmented sieve of Eratosthenes over the numbers below 2^32
// that are coprime to 30, writing straight into a bitmap. Byte b of the bitmap
// stands for the numbers 30b .. 30b+29, bit k of it for 30b + kWheel[k]; a
// 64-bit word covers 240 numbers. Segments are sieved in order, each from
// where the last one ended. After a segment is sieved, a bit is set exactly
// when its number is a prime from 7 on and below 2^32.
//
// The sieve owns only its working memory (about 160 KB: the sieving primes
// with where their next multiple lies, and the patterns of the smallest
// primes); the bitmap belongs to the caller.
#ifndef TALLYRA_LISTS_PRIMESIEVE_H_
#define TALLYRA_LISTS_PRIMESIEVE_H_

#include <cstdint>
#include <memory>
#include <vector>

namespace tallyra {

class PrimeSieve {
 public:
  static constexpr uint32_t kWheel[8] = {1, 7, 11, 13, 17, 19, 23, 29};
  static constexpr uint32_t kWordNumbers = 240;
  // Words of the whole bitmap: the last one reaches past 2^32.
  static constexpr uint32_t kTotalWords =
      static_cast<uint32_t>(((uint64_t{1} << 32) + kWordNumbers - 1) / kWordNumbers);

  // Builds the working memory; false when it cannot be had (nothing changed).
  bool Prepare();

  // Sieves words w0 .. w1-1 of the bitmap into out (which holds word w0);
  // w0 is 0, where the previous call ended, or where RestartAt last placed
  // the sieve. Call Prepare first.
  void Sieve(uint64_t* out, uint32_t w0, uint32_t w1);

  // Places the sieve so that the next call of Sieve may begin at word w0
  // (after Prepare).
  void RestartAt(uint32_t w0);

  uint64_t MemoryBytes() const;

 private:
  struct SievingPrime {
    uint32_t prime;
    // The byte of its next multiple (below 2^29) and, in the top 3 bits, the
    // wheel index of the multiplier.
    uint32_t next;
  };

  void ApplyPatterns(uint8_t* out, uint32_t from, uint32_t size) const;
  static void CrossOff(SievingPrime& sp, uint8_t* seg, uint32_t b0, uint32_t b1);

  std::vector<SievingPrime> sieving_;    // empty until Prepare
  std::unique_ptr<uint8_t[]> patterns_;  // each group's, one after another
};

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMESIEVE_H_
