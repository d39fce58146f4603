// MappedList: element k is the formula's value at n = k and x = the base's
// element k as a number (ElementNumber; 0 past the end of a finite base), a
// Number element, or None when the formula fails. As long as its base (-1 when
// the base is unbounded); the elements past that length are computed all the
// same. Nothing is cached: the base is read as it stands at each read.
//
// The base is held (ListRef) for the list's whole life and is never null.
#ifndef TALLYRA_FORMULA_MAPPEDLIST_H_
#define TALLYRA_FORMULA_MAPPEDLIST_H_

#include <cstdint>
#include <memory>

#include "formula/FormulaDefinedList.h"
#include "lists/ListRef.h"

namespace tallyra {

class MappedList final : public FormulaDefinedList {
 public:
  explicit MappedList(ListRef base);

 private:
  int32_t LengthOf(WorkBudget& budget) override { return base_->Length(budget); }
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  // Null when the length is negative, else a new concrete copy of the mapped
  // values as they are now.
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) override;

  uint64_t VersionOf(WorkBudget& budget) override { return base_->Version(budget); }

  ListRef base_;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_MAPPEDLIST_H_
