#include "formula/SubsequenceList.h"

#include <utility>

namespace tallyra {

SubsequenceList::SubsequenceList(ListRef base)
    : base_(std::move(base)),
      depth_(1 + base_->Depth()),
      weight_(WeightOn(base_->Weight())),
      evaluator_({{"n", &n_}}) {}

void SubsequenceList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

Element SubsequenceList::ElementOf(uint32_t index, WorkBudget& budget) noexcept {
  try {
    n_ = index;
    double value;
    if (!evaluator_.Evaluate(&value, budget)) return Element::None();
    return base_->ElementAt(FormulaEvaluator::TruncateToPosition(value), budget);
  } catch (...) {
    return Element::None();
  }
}

}  // namespace tallyra
