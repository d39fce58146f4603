#include "formula/SubsequenceList.h"

#include <utility>

namespace tallyra {

SubsequenceList::SubsequenceList(ListRef base)
    : FormulaDefinedList({"n"}, 1 + base->Depth(), WeightOn(base->Weight())),
      base_(std::move(base)) {}

Element SubsequenceList::ElementOf(uint32_t index, WorkBudget& budget) noexcept {
  try {
    double value;
    if (!Evaluate({static_cast<double>(index)}, &value, budget)) return Element::None();
    return base_->ElementAt(FormulaEvaluator::TruncateToPosition(value), budget);
  } catch (...) {
    return Element::None();
  }
}

}  // namespace tallyra
