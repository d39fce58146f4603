// KSubsetList: k elements chosen from a base list, one k-subset of the base's
// indices at a time, stepped through all k-subsets in colexicographic order
// (the order of the masks' numeric values) and back to the first.
//
// It refers to its base without owning it alone (ListRef) and owns its mask:
// bit i is set exactly when base index i is in the subset, so the mask has k
// bits set when k > 0 and is 0 otherwise. Element reads remember where the last
// one was found, and seek from whichever is nearest in rank of that place, the
// lowest and the highest set bit: reading a subset in index order, either way,
// costs time in proportion to the mask's size once, not once per element.
#ifndef TALLYRA_LISTS_KSUBSETLIST_H_
#define TALLYRA_LISTS_KSUBSETLIST_H_

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "lists/BigUnsigned.h"
#include "lists/List.h"
#include "lists/ListRef.h"

namespace tallyra {

class KSubsetList final : public List {
 public:
  // The first k-subset {0, ..., k-1} of base (the empty one when k <= 0),
  // built a block at a time in one allocation. The base is not read. Throws
  // std::bad_alloc when the mask cannot be held.
  KSubsetList(int32_t k, ListRef base);
  // The same, in a host call: the first mask's blocks charged to budget
  // before it is built (MaskCost); throws CutShort, nothing built, when the
  // budget cannot pay.
  struct CutShort : std::runtime_error {
    CutShort() : std::runtime_error("the budget cannot pay for the mask") {}
  };
  KSubsetList(int32_t k, ListRef base, WorkBudget& budget);
  // What building the first mask of a k-subset costs: work_cost::
  // kSubsetMaskBlock for each 32-bit block that it is given.
  static uint64_t MaskCost(int32_t k);

  uint32_t Depth() const override { return depth_; }
  uint64_t Weight() const override { return weight_; }

  // Steps to the next k-subset in colexicographic order. The base's length n
  // is read (charged to budget): when the new mask has bit n set (n read as an
  // unsigned 32-bit position, 4294967295 for an unbounded base), it starts
  // again from the first subset; so it does when the next subset would need an
  // index past 4294967295. Does nothing when k <= 0, nor when the budget is
  // spent before the length is known. Throws std::bad_alloc when the mask must
  // grow and cannot; the subset is then unchanged.
  void NextSubset(WorkBudget& budget);

  const BigUnsigned& mask() const { return mask_; }

 private:
  // k, even when the base is shorter; a negative k is answered as it is.
  int32_t LengthOf(WorkBudget&) override { return k_; }
  // The base's element at the position of set bit `index` of the mask
  // (counting from bit 0 and from 0); the None element from index k on. Each
  // read charges work_cost::kSubsetRead and work_cost::kSubsetBlock for each
  // block of the mask that the seek reads.
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) override;

  // The steps taken, plus the base's version.
  uint64_t VersionOf(WorkBudget& budget) override {
    return steps_ + (base_ ? base_->Version(budget) : 0);
  }
  // k, once its mask's cost is charged to budget; throws CutShort if it
  // cannot be.
  static int32_t Charged(int32_t k, WorkBudget& budget);
  // The 32-bit blocks that the first mask of a k-subset is given.
  static uint32_t MaskBlocks(int32_t k);
  void Reset();
  // The position of set bit `index` (below k) of the mask, moving the cursor
  // there; false when the mask has no such bit. Adds the blocks read to
  // *scanned.
  bool FindSetBit(uint32_t index, uint64_t* position, uint64_t* scanned);

  const int32_t k_;
  ListRef base_;
  const uint32_t depth_;
  const uint64_t weight_;
  BigUnsigned mask_;
  // Where the last element read was found: element cursorIndex_ is at bit
  // cursorBit_. Valid while cursorValid_; a step clears it.
  bool cursor_valid_ = false;
  uint32_t cursor_index_ = 0;
  uint64_t cursor_bit_ = 0;
  uint64_t steps_ = 0;  // how many times NextSubset changed the mask
};

}  // namespace tallyra

#endif  // TALLYRA_LISTS_KSUBSETLIST_H_
