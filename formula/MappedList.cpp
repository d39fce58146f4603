#include "formula/MappedList.h"

#include <utility>

#include "lists/ConcreteList.h"

namespace tallyra {

MappedList::MappedList(ListRef base)
    : FormulaDefinedList({"n", "x"}, 1 + base->Depth(), WeightOn(base->Weight())),
      base_(std::move(base)) {}

Element MappedList::ElementOf(uint32_t index, WorkBudget& budget) {
  const double x = base_->NumberAt(index, budget);
  double value;
  if (!Evaluate({static_cast<double>(index), x}, &value, budget)) return Element::None();
  return Element::Number(value);
}

std::shared_ptr<ConcreteList> MappedList::ConcreteOf(WorkBudget& budget) {
  if (LengthOf(budget) < 0) return nullptr;
  return MakeConcreteCopy(*this, budget);
}

}  // namespace tallyra
