#include "lists/KSubsetList.h"

#include <utility>

#include "lists/ConcreteList.h"
#include "lists/SearchBudget.h"

namespace {

constexpr uint32_t kBits = BigUnsigned::kBitsPerBlock;

int PopCount(uint32_t block) { return __builtin_popcount(block); }

// The position in `block` of its set bit `rank` (from bit 0, counting from 0);
// rank is below the block's count of set bits.
uint32_t SelectInBlock(uint32_t block, int rank) {
  for (; rank > 0; --rank) block &= block - 1;
  return static_cast<uint32_t>(__builtin_ctz(block));
}

// Set bit `rank` at or above bit `from`, counting upwards from 0.
bool FindForward(const BigUnsigned& mask, uint64_t from, uint64_t rank, uint64_t* position) {
  uint64_t block = from / kBits;
  if (block >= mask.length()) return false;
  uint32_t bits = mask.getBlock(static_cast<uint32_t>(block)) & (0xFFFFFFFFu << (from % kBits));
  for (;;) {
    const int count = PopCount(bits);
    if (rank < static_cast<uint64_t>(count)) {
      *position = block * kBits + SelectInBlock(bits, static_cast<int>(rank));
      return true;
    }
    rank -= count;
    if (++block >= mask.length()) return false;
    bits = mask.getBlock(static_cast<uint32_t>(block));
  }
}

// Set bit `rank` at or below bit `from`, counting downwards from 0.
bool FindBackward(const BigUnsigned& mask, uint64_t from, uint64_t rank, uint64_t* position) {
  uint64_t block = from / kBits;
  const auto high = static_cast<uint32_t>(from % kBits);
  uint32_t bits = mask.getBlock(static_cast<uint32_t>(block)) &
                  (high == kBits - 1 ? 0xFFFFFFFFu : (uint32_t{1} << (high + 1)) - 1);
  for (;;) {
    const int count = PopCount(bits);
    if (rank < static_cast<uint64_t>(count)) {
      *position = block * kBits + SelectInBlock(bits, count - 1 - static_cast<int>(rank));
      return true;
    }
    rank -= count;
    if (block-- == 0) return false;
    bits = mask.getBlock(static_cast<uint32_t>(block));
  }
}

}  // namespace

KSubsetList::KSubsetList(int32_t k, ListRef base)
    : k_(k),
      base_(std::move(base)),
      depth_(base_ ? base_->Depth() + 1 : 1),
      weight_(WeightOn(base_ ? base_->Weight() : 0)) {
  if (k_ > 0) {
    // Room for one bit more than the first subset, so that the first steps of
    // a large subset of an unbounded base do not copy the mask to grow it.
    const uint64_t bits = static_cast<uint64_t>(k_) + 1;
    mask_.reserveBlocks(static_cast<uint32_t>((bits + kBits - 1) / kBits));
    Reset();
  }
}

void KSubsetList::Reset() {
  // Within the blocks already held: the mask had at least k bits.
  mask_.setLowBits(static_cast<uint32_t>(k_));
  cursorValid_ = false;
}

void KSubsetList::NextSubset() {
  if (k_ <= 0) return;  // the empty subset is the only one
  cursorValid_ = false;
  if (!mask_.nextWithSameBitCount()) {
    Reset();  // past the last index that a list can have
    return;
  }
  const auto n = static_cast<uint32_t>(base_ ? base_->Length() : 0);
  if (mask_.getBit(n)) Reset();
}

bool KSubsetList::FindSetBit(uint32_t index, uint64_t* position) {
  bool found;
  if (!cursorValid_ || index < cursorIndex_ / 2) {
    found = FindForward(mask_, 0, index, position);
  } else if (index == cursorIndex_) {
    *position = cursorBit_;
    found = true;
  } else if (index > cursorIndex_) {
    found = FindForward(mask_, cursorBit_ + 1, index - cursorIndex_ - 1, position);
  } else {
    // cursorBit_ > 0 here: a set bit with a lower rank lies below it.
    found = FindBackward(mask_, cursorBit_ - 1, cursorIndex_ - index - 1, position);
  }
  if (found) {
    cursorValid_ = true;
    cursorIndex_ = index;
    cursorBit_ = *position;
  }
  return found;
}

Element KSubsetList::ElementAt(uint32_t index) {
  if (k_ <= 0 || index >= static_cast<uint32_t>(k_) || !base_) return Element::None();
  if (SearchBudget::Draw(1) == 0) return Element::None();
  uint64_t position = 0;
  if (!FindSetBit(index, &position)) return Element::None();
  return base_->ElementAt(static_cast<uint32_t>(position));
}

std::shared_ptr<ConcreteList> KSubsetList::ToConcrete() { return MakeConcreteCopy(*this); }
