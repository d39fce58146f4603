// SubsequenceList: element k is the base's element, exactly as the base gives
// it, at the position that the formula gives at n = k (truncated toward zero
// to a signed 64-bit integer, of which the low 32 bits; NaN and values outside
// that range give 0). None when the formula fails or reading the base raises:
// one guard covers the evaluation and the base read. Unbounded whatever the
// base; cannot be made concrete. Nothing is cached.
//
// The base is held (ListRef) for the list's whole life and is never null.
#ifndef TALLYRA_FORMULA_SUBSEQUENCELIST_H_
#define TALLYRA_FORMULA_SUBSEQUENCELIST_H_

#include <cstdint>
#include <memory>

#include "formula/FormulaDefinedList.h"
#include "formula/FormulaEvaluator.h"
#include "lists/ListRef.h"

namespace tallyra {

class SubsequenceList final : public FormulaDefinedList {
 public:
  explicit SubsequenceList(ListRef base);

 private:
  int32_t LengthOf(WorkBudget&) override { return -1; }
  Element ElementOf(uint32_t index, WorkBudget& budget) noexcept override;
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

  uint64_t VersionOf(WorkBudget& budget) override { return base_->Version(budget); }

  ListRef base_;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_SUBSEQUENCELIST_H_
