#include "lists/BigUnsigned.h"

#include <algorithm>
#include <utility>

namespace tallyra {

namespace {

using Block = BigUnsigned::Block;
using Blocks = std::vector<Block>;
constexpr uint32_t kBits = BigUnsigned::kBitsPerBlock;
constexpr Block kAllOnes = 0xFFFFFFFFu;

void Trim(Blocks& blocks) {
  while (!blocks.empty() && blocks.back() == 0) blocks.pop_back();
}

void CheckBlocks(uint64_t count) {
  if (count > BigUnsigned::kMaxBlocks) throw std::length_error("BigUnsigned: value too large");
}

int CountTrailingZeros(Block block) { return __builtin_ctz(block); }  // block != 0
int CountLeadingZeros(Block block) { return __builtin_clz(block); }   // block != 0

// The blocks of `a` less `b` with a >= b, written to out[0 .. a.size()).
void SubtractBlocks(const Blocks& a, const Blocks& b, Blocks& out) {
  out.resize(a.size());
  bool borrow = false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Block subtrahend = i < b.size() ? b[i] : 0;
    const Block difference = a[i] - subtrahend - (borrow ? 1 : 0);
    borrow = borrow ? a[i] <= subtrahend : a[i] < subtrahend;
    out[i] = difference;
  }
}

bool LessThan(const Blocks& a, const Blocks& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  for (std::size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return false;
}

}  // namespace

BigUnsigned::BigUnsigned(int32_t value) {
  if (value < 0) {
    throw BigUnsignedError(
        "BigUnsigned constructor: Cannot construct a BigUnsigned from a negative number");
  }
  if (value > 0) blocks_.push_back(static_cast<Block>(value));
}

bool BigUnsigned::getBit(uint32_t i) const { return (getBlock(i / kBits) >> (i % kBits)) & 1u; }

void BigUnsigned::setBit(uint32_t i, bool bit) {
  const uint32_t block = i / kBits;
  const Block mask = Block{1} << (i % kBits);
  if (bit) {
    if (block >= blocks_.size()) growKeeping(block + 1);
    blocks_[block] |= mask;
  } else if (block < blocks_.size()) {
    blocks_[block] &= ~mask;
    trim();
  }
}

uint64_t BigUnsigned::bitLength() const {
  if (blocks_.empty()) return 0;
  return uint64_t{kBits} * (blocks_.size() - 1) + (kBits - CountLeadingZeros(blocks_.back()));
}

void BigUnsigned::reserveBlocks(uint32_t count) {
  CheckBlocks(count);
  blocks_.reserve(count);
}

void BigUnsigned::setLowBits(uint32_t count) {
  const uint32_t full = count / kBits;
  const uint32_t rest = count % kBits;
  // assign() keeps the capacity when it suffices and otherwise allocates once,
  // for exactly these blocks, without copying the old ones.
  blocks_.assign(full + (rest != 0 ? 1 : 0), kAllOnes);
  if (rest != 0) blocks_.back() = (Block{1} << rest) - 1;
}

void BigUnsigned::growKeeping(uint32_t count) {
  CheckBlocks(count);
  if (count > blocks_.capacity()) {
    // Room for a few more blocks, so that a value growing a block at a time is
    // not copied at every block, without doubling a large mask's memory.
    const std::size_t wanted = std::max<std::size_t>(count, blocks_.size() + blocks_.size() / 8);
    blocks_.reserve(std::min<std::size_t>(wanted, kMaxBlocks));
  }
  blocks_.resize(count, 0);
}

void BigUnsigned::fillBits(uint64_t from, uint64_t to, bool bit) {
  while (from < to) {
    const auto block = static_cast<std::size_t>(from / kBits);
    const auto low = static_cast<uint32_t>(from % kBits);
    const uint64_t block_end = (from - low) + kBits;
    const auto high = static_cast<uint32_t>(std::min(to, block_end) - (from - low));  // 1 .. 32
    Block mask = high == kBits ? kAllOnes : (Block{1} << high) - 1;
    mask &= kAllOnes << low;
    if (bit) {
      blocks_[block] |= mask;
    } else {
      blocks_[block] &= ~mask;
    }
    from = std::min(to, block_end);
  }
}

void BigUnsigned::trim() { Trim(blocks_); }

bool BigUnsigned::nextWithSameBitCount() {
  const std::size_t size = blocks_.size();
  if (size == 0) return true;

  // t: the lowest set bit.
  std::size_t w = 0;
  while (blocks_[w] == 0) ++w;
  const uint64_t t = uint64_t{kBits} * w + CountTrailingZeros(blocks_[w]);

  // e: the first clear bit above t, so bits t .. e-1 are the lowest run of set
  // bits, m = e - t of them.
  Block zeros = ~blocks_[w] & (kAllOnes << (t % kBits));
  while (zeros == 0) {
    ++w;
    zeros = w < size ? ~blocks_[w] : kAllOnes;
  }
  const uint64_t e = uint64_t{kBits} * w + CountTrailingZeros(zeros);
  const uint64_t m = e - t;
  if (e > 0xFFFFFFFFu) return false;

  // x + c clears the run and sets bit e; ((x ^ (x + c)) >> 2) / c is m+1 set
  // bits moved down by t + 2, that is bits 0 .. m-2. So: bits 0 .. m-2 set,
  // bits m-1 .. e-1 clear, bit e set. Bits below t were clear and bits t .. e-1
  // set, so only [0, min(t, m-1)) and [max(t, m-1), e) change.
  const auto top_block = static_cast<uint32_t>(e / kBits);
  if (top_block >= size) growKeeping(top_block + 1);  // the only step that can fail
  const uint64_t below_new = m - 1;                   // bits 0 .. m-2 end here
  fillBits(0, std::min(t, below_new), true);
  fillBits(std::max(t, below_new), e, false);
  blocks_[top_block] |= Block{1} << (e % kBits);
  return true;
}

void BigUnsigned::add(const BigUnsigned& a, const BigUnsigned& b) {
  const Blocks& longer = a.blocks_.size() >= b.blocks_.size() ? a.blocks_ : b.blocks_;
  const Blocks& shorter = a.blocks_.size() >= b.blocks_.size() ? b.blocks_ : a.blocks_;
  Blocks sum(longer.size());
  bool carry = false;
  for (std::size_t i = 0; i < longer.size(); ++i) {
    const Block addend = i < shorter.size() ? shorter[i] : 0;
    const Block partial = longer[i] + addend;
    const bool carry_out = partial < longer[i];
    sum[i] = partial + (carry ? 1 : 0);
    carry = carry_out || (carry && sum[i] == 0);
  }
  if (carry) {
    CheckBlocks(uint64_t{sum.size()} + 1);
    sum.push_back(1);
  }
  blocks_ = std::move(sum);
}

void BigUnsigned::subtract(const BigUnsigned& a, const BigUnsigned& b) {
  if (LessThan(a.blocks_, b.blocks_)) {
    throw BigUnsignedError("BigUnsigned::subtract: Negative result in unsigned calculation");
  }
  Blocks difference;
  SubtractBlocks(a.blocks_, b.blocks_, difference);
  Trim(difference);
  blocks_ = std::move(difference);
}

void BigUnsigned::bitAnd(const BigUnsigned& a, const BigUnsigned& b) {
  Blocks result(std::min(a.blocks_.size(), b.blocks_.size()));
  for (std::size_t i = 0; i < result.size(); ++i) result[i] = a.blocks_[i] & b.blocks_[i];
  Trim(result);
  blocks_ = std::move(result);
}

void BigUnsigned::bitOr(const BigUnsigned& a, const BigUnsigned& b) {
  Blocks result(std::max(a.blocks_.size(), b.blocks_.size()));
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = a.getBlock(static_cast<uint32_t>(i)) | b.getBlock(static_cast<uint32_t>(i));
  }
  blocks_ = std::move(result);
}

void BigUnsigned::bitXor(const BigUnsigned& a, const BigUnsigned& b) {
  Blocks result(std::max(a.blocks_.size(), b.blocks_.size()));
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = a.getBlock(static_cast<uint32_t>(i)) ^ b.getBlock(static_cast<uint32_t>(i));
  }
  Trim(result);
  blocks_ = std::move(result);
}

void BigUnsigned::bitShiftLeft(const BigUnsigned& a, int32_t amount) {
  if (amount == INT32_MIN) {
    throw BigUnsignedError("BigUnsigned::bitShiftLeft: Pathological shift amount not implemented");
  }
  if (amount < 0) {
    bitShiftRight(a, -amount);
    return;
  }
  if (a.blocks_.empty()) {
    blocks_.clear();
    return;
  }
  const uint64_t bits = a.bitLength() + static_cast<uint64_t>(amount);
  CheckBlocks((bits + kBits - 1) / kBits);
  const uint32_t block_shift = static_cast<uint32_t>(amount) / kBits;
  const uint32_t bit_shift = static_cast<uint32_t>(amount) % kBits;
  Blocks result(static_cast<std::size_t>((bits + kBits - 1) / kBits), 0);
  for (std::size_t i = 0; i < a.blocks_.size(); ++i) {
    const uint64_t wide = uint64_t{a.blocks_[i]} << bit_shift;
    result[i + block_shift] |= static_cast<Block>(wide);
    const auto carried = static_cast<Block>(wide >> kBits);
    if (carried != 0) result[i + block_shift + 1] |= carried;
  }
  blocks_ = std::move(result);
}

void BigUnsigned::bitShiftRight(const BigUnsigned& a, int32_t amount) {
  if (amount == INT32_MIN) {
    throw BigUnsignedError("BigUnsigned::bitShiftRight: Pathological shift amount not implemented");
  }
  if (amount < 0) {
    bitShiftLeft(a, -amount);
    return;
  }
  const uint32_t block_shift = static_cast<uint32_t>(amount) / kBits;
  const uint32_t bit_shift = static_cast<uint32_t>(amount) % kBits;
  if (block_shift >= a.blocks_.size()) {
    blocks_.clear();
    return;
  }
  Blocks result(a.blocks_.size() - block_shift);
  for (std::size_t i = 0; i < result.size(); ++i) {
    const uint64_t wide =
        (uint64_t{a.getBlock(static_cast<uint32_t>(i + block_shift + 1))} << kBits) |
        a.blocks_[i + block_shift];
    result[i] = static_cast<Block>(wide >> bit_shift);
  }
  Trim(result);
  blocks_ = std::move(result);
}

void BigUnsigned::divideWithRemainder(const BigUnsigned& b, BigUnsigned& q) {
  if (&q == this) {
    throw BigUnsignedError(
        "BigUnsigned::divideWithRemainder: Cannot write quotient and remainder into the same "
        "variable");
  }
  if (&b == this || &b == &q) {
    const BigUnsigned divisor(b);
    divideWithRemainder(divisor, q);
    return;
  }
  const std::size_t n = blocks_.size();
  const std::size_t m = b.blocks_.size();
  if (m == 0 || n < m) {
    q.blocks_.clear();
    return;
  }

  // Long division, one bit at a time from the top: the divisor shifted to bit
  // position 32i + j is subtracted from the remainder when it fits, and the
  // quotient gets bit 32i + j. Before position s the remainder is below the
  // divisor shifted to s + 1, so only remainder blocks i .. i+m take part.
  Blocks remainder(blocks_);
  remainder.push_back(0);
  Blocks quotient(n - m + 1, 0);
  Blocks shifted(m + 1);  // the divisor shifted left by j bits
  Blocks difference(m + 1);
  for (std::size_t i = n - m + 1; i-- > 0;) {
    for (int j = kBits - 1; j >= 0; --j) {
      Block carried = 0;
      for (std::size_t k = 0; k < m; ++k) {
        const uint64_t wide = uint64_t{b.blocks_[k]} << j;
        shifted[k] = static_cast<Block>(wide) | carried;
        carried = static_cast<Block>(wide >> kBits);
      }
      shifted[m] = carried;

      bool borrow = false;
      for (std::size_t k = 0; k <= m; ++k) {
        const Block minuend = remainder[i + k];
        difference[k] = minuend - shifted[k] - (borrow ? 1 : 0);
        borrow = borrow ? minuend <= shifted[k] : minuend < shifted[k];
      }
      if (!borrow) {
        std::copy(difference.begin(), difference.end(), remainder.begin() + i);
        quotient[i] |= Block{1} << j;
      }
    }
  }
  Trim(remainder);
  Trim(quotient);
  q.blocks_ = std::move(quotient);
  blocks_ = std::move(remainder);
}

BigUnsigned operator+(const BigUnsigned& a, const BigUnsigned& b) {
  BigUnsigned result;
  result.add(a, b);
  return result;
}

BigUnsigned operator-(const BigUnsigned& a, const BigUnsigned& b) {
  BigUnsigned result;
  result.subtract(a, b);
  return result;
}

BigUnsigned operator&(const BigUnsigned& a, const BigUnsigned& b) {
  BigUnsigned result;
  result.bitAnd(a, b);
  return result;
}

BigUnsigned operator|(const BigUnsigned& a, const BigUnsigned& b) {
  BigUnsigned result;
  result.bitOr(a, b);
  return result;
}

BigUnsigned operator^(const BigUnsigned& a, const BigUnsigned& b) {
  BigUnsigned result;
  result.bitXor(a, b);
  return result;
}

BigUnsigned operator>>(const BigUnsigned& a, int32_t amount) {
  BigUnsigned result;
  result.bitShiftRight(a, amount);
  return result;
}

BigUnsigned operator<<(const BigUnsigned& a, int32_t amount) {
  BigUnsigned result;
  result.bitShiftLeft(a, amount);
  return result;
}

BigUnsigned operator/(const BigUnsigned& a, const BigUnsigned& b) {
  if (b.length() == 0) throw BigUnsignedError("BigUnsigned::operator /: division by zero");
  BigUnsigned remainder(a);
  BigUnsigned quotient;
  remainder.divideWithRemainder(b, quotient);
  return quotient;
}

bool operator<(const BigUnsigned& a, const BigUnsigned& b) {
  return LessThan(a.blocks_, b.blocks_);
}

}  // namespace tallyra
