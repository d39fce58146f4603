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
#include <string_view>

#include "formula/FormulaDefinedList.h"
#include "formula/FormulaEvaluator.h"
#include "lists/ListRef.h"

namespace tallyra {

class MappedList final : public FormulaDefinedList {
 public:
  explicit MappedList(ListRef base);
  void SetFormula(std::string_view text) noexcept override;
  uint32_t Depth() const override { return depth_; }
  uint64_t Weight() const override { return weight_; }

 private:
  int32_t LengthOf(WorkBudget& budget) override { return base_->Length(budget); }
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  // Null when the length is negative, else a new concrete copy of the mapped
  // values as they are now.
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) override;

  uint64_t VersionOf(WorkBudget& budget) override { return base_->Version(budget); }

  ListRef base_;
  uint32_t depth_;
  uint64_t weight_;
  double n_ = 0;
  double x_ = 0;
  FormulaEvaluator evaluator_;  // bound to n_ and x_; declared after them
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_MAPPEDLIST_H_
