#include "formula/FormulaList.h"

namespace tallyra {

FormulaList::FormulaList() : FormulaDefinedList({"n"}, 0, 1) {}

Element FormulaList::ElementOf(uint32_t index, WorkBudget& budget) {
  double value;
  if (!Evaluate({static_cast<double>(index)}, &value, budget)) return Element::None();
  return Element::Number(value);
}

}  // namespace tallyra
