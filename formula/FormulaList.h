// FormulaList: the unbounded list whose element k is the formula's value at
// n = k, a Number element, or None when the formula fails. Nothing is stored:
// every read evaluates once. It rests on no other list and cannot be made
// concrete.
#ifndef TALLYRA_FORMULA_FORMULALIST_H_
#define TALLYRA_FORMULA_FORMULALIST_H_

#include <cstdint>
#include <memory>
#include <string_view>

#include "formula/FormulaDefinedList.h"
#include "formula/FormulaEvaluator.h"

namespace tallyra {

class FormulaList final : public FormulaDefinedList {
 public:
  FormulaList();

 private:
  int32_t LengthOf(WorkBudget&) override { return -1; }
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FORMULALIST_H_
