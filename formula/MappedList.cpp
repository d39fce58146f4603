#include "formula/MappedList.h"

#include <utility>

#include "lists/ConcreteList.h"

namespace tallyra {

MappedList::MappedList(ListRef base)
    : base_(std::move(base)),
      depth_(1 + base_->Depth()),
      weight_(WeightOn(base_->Weight())),
      evaluator_({{"n", &n_}, {"x", &x_}}) {}

void MappedList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

Element MappedList::ElementOf(uint32_t index, WorkBudget& budget) {
  n_ = index;
  x_ = base_->NumberAt(index, budget);
  double value;
  if (!evaluator_.Evaluate(&value, budget)) return Element::None();
  return Element::Number(value);
}

std::shared_ptr<ConcreteList> MappedList::ConcreteOf(WorkBudget& budget) {
  if (LengthOf(budget) < 0) return nullptr;
  return MakeConcreteCopy(*this, budget);
}

}  // namespace tallyra
