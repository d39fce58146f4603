// KSubsetList: k elements chosen from a base list, one k-subset of the base's
// indices at a time, stepped through all k-subsets in colexicographic order
// (the order of the masks' numeric values) and back to the first.
//
// It refers to its base without owning it alone (ListRef) and owns its mask.
// Element reads remember where the last one ended, so reading a subset in index
// order costs time in proportion to the mask's size once, not once per element.
#ifndef TALLYRA_LISTS_KSUBSETLIST_H_
#define TALLYRA_LISTS_KSUBSETLIST_H_

#include <cstdint>
#include <memory>

#include "lists/BigUnsigned.h"
#include "lists/List.h"
#include "lists/ListRef.h"

class KSubsetList final : public List {
 public:
  // The first k-subset {0, ..., k-1} of base (the empty one when k <= 0).
  // Throws std::bad_alloc when the mask cannot be held.
  KSubsetList(int32_t k, ListRef base);

  int32_t Length() override { return k_; }
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override;
  uint32_t Depth() const override { return depth_; }

  // Steps to the next k-subset; after the last subset of a base of length n
  // comes the first again. Does nothing when k <= 0.
  void NextSubset();

  const BigUnsigned& mask() const { return mask_; }

 private:
  const int32_t k_;
  ListRef base_;
  const uint32_t depth_;
  BigUnsigned mask_;
  // Where the last element read was found: element cursorIndex_ is at bit
  // cursorBit_. Valid while cursorValid_; a step clears it.
  bool cursorValid_ = false;
  uint32_t cursorIndex_ = 0;
  uint32_t cursorBit_ = 0;
};

#endif  // TALLYRA_LISTS_KSUBSETLIST_H_
