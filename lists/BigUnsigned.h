// BigUnsigned: an arbitrary-precision non-negative integer held in 32-bit
// blocks, least significant first. The value 0 has no blocks; otherwise the
// top block is never 0. Every arithmetic operation is correct when its result
// is one of its operands.
//
// Errors are thrown as BigUnsignedError carrying the message text. An
// operation that throws (an error, std::bad_alloc, std::length_error) leaves
// its result object as it was.
//
// A value holds at most kMaxBlocks blocks, so that every bit of it has a 32-bit
// index; an operation whose result would need more throws std::length_error.
#ifndef TALLYRA_LISTS_BIGUNSIGNED_H_
#define TALLYRA_LISTS_BIGUNSIGNED_H_

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tallyra {

class BigUnsignedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The operations keep the lower-camel names under which they are documented
// (bitLength, setBit, divideWithRemainder, ...), outside the naming rules.
// NOLINTBEGIN(readability-identifier-naming)
class BigUnsigned {
 public:
  using Block = uint32_t;
  static constexpr uint32_t kBitsPerBlock = 32;
  // 2^27 blocks (512 MB) hold bits 0 .. 2^32-1.
  static constexpr uint32_t kMaxBlocks = 1u << 27;

  BigUnsigned() = default;
  BigUnsigned(int32_t value);  // NOLINT: implicit like a number; negative values throw

  uint32_t length() const { return static_cast<uint32_t>(blocks_.size()); }  // blocks in use
  Block getBlock(uint32_t i) const { return i < blocks_.size() ? blocks_[i] : 0; }

  bool getBit(uint32_t i) const;
  void setBit(uint32_t i, bool bit);
  // 0 for the value 0, else the index of the highest set bit plus one (up to 2^32).
  uint64_t bitLength() const;

  // Makes room for this many blocks without changing the value.
  void reserveBlocks(uint32_t count);

  // Sets bits 0 .. count-1 and clears every other bit, a block at a time.
  // Allocates only when the blocks held so far are too few.
  void setLowBits(uint32_t count);

  // Replaces the value with the next larger one that has as many set bits (read
  // as a bit mask: the next subset of the same size in colexicographic order).
  // The same result as x = r | (((x ^ r) >> 2) / c) with c the lowest set bit
  // of x and r = x + c, computed with word operations in time proportional to
  // the blocks up to the top of the lowest run of set bits. Does nothing on 0.
  // Returns false, the value unchanged, when the result would have a bit above
  // bit 2^32-1.
  bool nextWithSameBitCount();

  void add(const BigUnsigned& a, const BigUnsigned& b);
  void subtract(const BigUnsigned& a, const BigUnsigned& b);
  void bitAnd(const BigUnsigned& a, const BigUnsigned& b);
  void bitOr(const BigUnsigned& a, const BigUnsigned& b);
  void bitXor(const BigUnsigned& a, const BigUnsigned& b);
  void bitShiftLeft(const BigUnsigned& a, int32_t amount);
  void bitShiftRight(const BigUnsigned& a, int32_t amount);
  // q = *this div b, *this = *this mod b, by long division. When b is 0 or
  // *this < b, q becomes 0 and *this is unchanged.
  void divideWithRemainder(const BigUnsigned& b, BigUnsigned& q);

  friend BigUnsigned operator+(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator-(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator&(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator|(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator^(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator>>(const BigUnsigned& a, int32_t amount);
  friend BigUnsigned operator<<(const BigUnsigned& a, int32_t amount);
  friend BigUnsigned operator/(const BigUnsigned& a, const BigUnsigned& b);
  friend bool operator==(const BigUnsigned& a, const BigUnsigned& b) {
    return a.blocks_ == b.blocks_;
  }
  friend bool operator!=(const BigUnsigned& a, const BigUnsigned& b) { return !(a == b); }
  friend bool operator<(const BigUnsigned& a, const BigUnsigned& b);

 private:
  // Grows to `count` blocks keeping the blocks in use; new blocks are 0.
  void growKeeping(uint32_t count);
  // Sets the bits in [from, to) to `bit`; both lie within the blocks in use.
  void fillBits(uint64_t from, uint64_t to, bool bit);
  void trim();

  // size() is the length in use. The arithmetic operations build their result
  // apart and move it in, so a result's spare capacity may change; the
  // in-place operations (setBit, setLowBits, nextWithSameBitCount) never give
  // capacity back.
  std::vector<Block> blocks_;
};
// NOLINTEND(readability-identifier-naming)

}  // namespace tallyra

#endif  // TALLYRA_LISTS_BIGUNSIGNED_H_
