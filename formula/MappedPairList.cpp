#include "formula/MappedPairList.h"

#include <algorithm>
#include <utility>

#include "lists/ConcreteList.h"

namespace tallyra {

MappedPairList::MappedPairList(ListRef first, ListRef second)
    : FormulaDefinedList({"n", "a", "b"}, 1 + std::max(first->Depth(), second->Depth()),
                         WeightOn(first->Weight(), second->Weight())),
      first_(std::move(first)),
      second_(std::move(second)) {}

int32_t MappedPairList::LengthOf(WorkBudget& budget) {
  const int32_t first = first_->Length(budget);
  const int32_t second = second_->Length(budget);
  if (first == -1) return second;
  if (second == -1) return first;
  return std::max(first, second);
}

Element MappedPairList::ElementOf(uint32_t index, WorkBudget& budget) {
  const double a = first_->NumberAt(index, budget);
  const double b = second_->NumberAt(index, budget);
  double value;
  if (!Evaluate({static_cast<double>(index), a, b}, &value, budget)) return Element::None();
  return Element::Number(value);
}

std::shared_ptr<ConcreteList> MappedPairList::ConcreteOf(WorkBudget& budget) {
  if (LengthOf(budget) < 0) return nullptr;
  return MakeConcreteCopy(*this, budget);
}

}  // namespace tallyra
