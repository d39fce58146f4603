// BigUnsigned: an arbitrary-precision non-negative integer held in 32-bit
// blocks, least significant first. The value 0 has no blocks; otherwise the
// top block is never 0. Every arithmetic operation is correct when its result
// is one of its operands. Errors are thrown as BigUnsignedError carrying the
// message text.
#ifndef TALLYRA_LISTS_BIGUNSIGNED_H_
#define TALLYRA_LISTS_BIGUNSIGNED_H_

#include <cstdint>
#include <stdexcept>
#include <vector>

class BigUnsignedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class BigUnsigned {
 public:
  using Block = uint32_t;

  BigUnsigned() = default;
  BigUnsigned(int32_t value);  // NOLINT: implicit like a number; negative values throw

  uint32_t length() const;  // blocks in use
  Block getBlock(uint32_t i) const;  // 0 at or above length()

  bool getBit(uint32_t i) const;
  void setBit(uint32_t i, bool bit);
  uint32_t bitLength() const;

  // Sets bits 0 .. count-1 and clears every other bit, a block at a time.
  void setLowBits(uint32_t count);

  void add(const BigUnsigned& a, const BigUnsigned& b);
  void subtract(const BigUnsigned& a, const BigUnsigned& b);
  void bitAnd(const BigUnsigned& a, const BigUnsigned& b);
  void bitOr(const BigUnsigned& a, const BigUnsigned& b);
  void bitXor(const BigUnsigned& a, const BigUnsigned& b);
  void bitShiftLeft(const BigUnsigned& a, int32_t amount);
  void bitShiftRight(const BigUnsigned& a, int32_t amount);
  // q = *this div b, *this = *this mod b.
  void divideWithRemainder(const BigUnsigned& b, BigUnsigned& q);

  friend BigUnsigned operator+(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator-(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator&(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator|(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator^(const BigUnsigned& a, const BigUnsigned& b);
  friend BigUnsigned operator>>(const BigUnsigned& a, int32_t amount);
  friend BigUnsigned operator<<(const BigUnsigned& a, int32_t amount);
  friend BigUnsigned operator/(const BigUnsigned& a, const BigUnsigned& b);
  friend bool operator==(const BigUnsigned& a, const BigUnsigned& b);
  friend bool operator!=(const BigUnsigned& a, const BigUnsigned& b) { return !(a == b); }
  friend bool operator<(const BigUnsigned& a, const BigUnsigned& b);

 private:
  std::vector<Block> blocks_;  // size() is the length in use; capacity is never given back
};

#endif  // TALLYRA_LISTS_BIGUNSIGNED_H_
