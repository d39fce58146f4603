#include "lists/KSubsetList.h"

#include <utility>

#include "lists/ConcreteList.h"

namespace tallyra {

namespace {

constexpr uint32_t kBits = BigUnsigned::kBitsPerBlock;

int PopCount(uint32_t block) { return __builtin_popcount(block); }

// The position in `block` of its set bit `rank` (from bit 0, counting from 0);
// rank is below the block's count of set bits.
uint32_t SelectInBlock(uint32_t block, int rank) {
  for (; rank > 0; --rank) block &= block - 1;
  return static_cast<uint32_t>(__builtin_ctz(block));
}

// Set bit `rank` at or above bit `from`, counting upwards from 0. Adds the
// blocks that it reads to *scanned.
bool FindForward(const BigUnsigned& mask, uint64_t from, uint64_t rank, uint64_t* position,
                 uint64_t* scanned) {
  uint64_t block = from / kBits;
  if (block >= mask.length()) return false;
  uint32_t bits = mask.getBlock(static_cast<uint32_t>(block)) & (0xFFFFFFFFu << (from % kBits));
  for (;;) {
    ++*scanned;
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

// Set bit `rank` at or below bit `from`, counting downwards from 0. Adds the
// blocks that it reads to *scanned.
bool FindBackward(const BigUnsigned& mask, uint64_t from, uint64_t rank, uint64_t* position,
                  uint64_t* scanned) {
  uint64_t block = from / kBits;
  if (block >= mask.length()) return false;
  const auto high = static_cast<uint32_t>(from % kBits);
  uint32_t bits = mask.getBlock(static_cast<uint32_t>(block)) &
                  (high == kBits - 1 ? 0xFFFFFFFFu : (uint32_t{1} << (high + 1)) - 1);
  for (;;) {
    ++*scanned;
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
    mask_.reserveBlocks(MaskBlocks(k_));
    Reset();
  }
}

KSubsetList::KSubsetList(int32_t k, ListRef base, WorkBudget& budget)
    : KSubsetList(Charged(k, budget), std::move(base)) {}

uint32_t KSubsetList::MaskBlocks(int32_t k) {
  if (k <= 0) return 0;
  // Room for one bit more than the first subset, so that the first steps of
  // a large subset of an unbounded base do not copy the mask to grow it.
  const uint64_t bits = static_cast<uint64_t>(k) + 1;
  return static_cast<uint32_t>((bits + kBits - 1) / kBits);
}

uint64_t KSubsetList::MaskCost(int32_t k) { return MaskBlocks(k) * work_cost::kSubsetMaskBlock; }

int32_t KSubsetList::Charged(int32_t k, WorkBudget& budget) {
  if (!budget.Charge(MaskCost(k))) throw CutShort();
  return k;
}

void KSubsetList::Reset() {
  // Within the blocks already held: the mask had at least k bits.
  mask_.setLowBits(static_cast<uint32_t>(k_));
  cursor_valid_ = false;
}

void KSubsetList::NextSubset(WorkBudget& budget) {
  if (k_ <= 0) return;  // the empty subset is the only one
  // The step does not change the base: its length is read first, so that a
  // budget spent before it is known leaves the subset as it was.
  const auto n = static_cast<uint32_t>(base_ ? base_->Length(budget) : 0);
  if (budget.Spent()) return;
  cursor_valid_ = false;
  ++steps_;  // counted before the step, which may throw having changed the mask
  if (!mask_.nextWithSameBitCount()) {
    Reset();  // past the last index that a list can have
    return;
  }
  if (mask_.getBit(n)) Reset();
}

bool KSubsetList::FindSetBit(uint32_t index, uint64_t* position, uint64_t* scanned) {
  // From whichever is nearest in rank: the lowest set bit, the cursor or the
  // highest set bit (the mask's k set bits end at its top).
  const uint32_t last = static_cast<uint32_t>(k_) - 1;
  const uint32_t from_low = index;
  const uint32_t from_high = last - index;
  const uint32_t from_cursor =
      cursor_valid_ ? (index > cursor_index_ ? index - cursor_index_ : cursor_index_ - index)
                    : UINT32_MAX;
  bool found;
  if (from_cursor <= from_low && from_cursor <= from_high) {
    if (index == cursor_index_) {
      *position = cursor_bit_;
      found = true;
    } else if (index > cursor_index_) {
      found = FindForward(mask_, cursor_bit_ + 1, index - cursor_index_ - 1, position, scanned);
    } else {
      // cursorBit_ > 0 here: a set bit with a lower rank lies below it.
      found = FindBackward(mask_, cursor_bit_ - 1, cursor_index_ - index - 1, position, scanned);
    }
  } else if (from_low <= from_high) {
    found = FindForward(mask_, 0, from_low, position, scanned);
  } else {
    const uint64_t top = mask_.bitLength();
    found = top > 0 && FindBackward(mask_, top - 1, from_high, position, scanned);
  }
  if (found) {
    cursor_valid_ = true;
    cursor_index_ = index;
    cursor_bit_ = *position;
  }
  return found;
}

Element KSubsetList::ElementOf(uint32_t index, WorkBudget& budget) {
  static_assert(work_cost::kListRead <= work_cost::kSubsetRead,
                "a subset's read pays its dispatch");
  if (!budget.Charge(work_cost::kSubsetRead - work_cost::kListRead)) return Element::None();
  if (k_ <= 0 || index >= static_cast<uint32_t>(k_) || !base_) return Element::None();
  uint64_t position = 0;
  uint64_t scanned = 0;
  const bool found = FindSetBit(index, &position, &scanned);
  // The scan is done, and bounded by the mask; charged after the fact.
  if (!budget.Charge(scanned * work_cost::kSubsetBlock) || !found) return Element::None();
  return base_->ElementAt(static_cast<uint32_t>(position), budget);
}

std::shared_ptr<ConcreteList> KSubsetList::ConcreteOf(WorkBudget& budget) {
  return MakeConcreteCopy(*this, budget);
}

}  // namespace tallyra
