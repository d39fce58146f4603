// MappedPairList: element k is the formula's value at n = k, a = the first
// base's element k and b = the second's, as numbers (0 past the end of a
// finite base), a Number element, or None when the formula fails. Unbounded
// only when both bases are; with one unbounded base as long as the other; with
// two finite bases as long as the longer. Nothing is cached. The bases are
// read first, then second, for every element and for Length().
//
// Both bases are held (ListRef) for the list's whole life, are never null and
// may be the same list.
#ifndef TALLYRA_FORMULA_MAPPEDPAIRLIST_H_
#define TALLYRA_FORMULA_MAPPEDPAIRLIST_H_

#include <cstdint>
#include <memory>

#include "formula/FormulaDefinedList.h"
#include "lists/ListRef.h"

namespace tallyra {

class MappedPairList final : public FormulaDefinedList {
 public:
  MappedPairList(ListRef first, ListRef second);

 private:
  int32_t LengthOf(WorkBudget& budget) override;
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  // Null when the length is negative, else a new concrete copy of the mapped
  // values as they are now.
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) override;

  uint64_t VersionOf(WorkBudget& budget) override {
    const uint64_t first = first_->Version(budget);
    return first + second_->Version(budget);
  }

  ListRef first_;
  ListRef second_;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_MAPPEDPAIRLIST_H_
