#include "formula/FormulaList.h"

namespace tallyra {

FormulaList::FormulaList() : evaluator_({{"n", &n_}}) {}

void FormulaList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

Element FormulaList::ElementOf(uint32_t index, WorkBudget& budget) {
  n_ = index;
  double value;
  if (!evaluator_.Evaluate(&value, budget)) return Element::None();
  return Element::Number(value);
}

}  // namespace tallyra
