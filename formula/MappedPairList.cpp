#include "formula/MappedPairList.h"

#include <algorithm>
#include <utility>

#include "lists/ConcreteList.h"

namespace tallyra {

MappedPairList::MappedPairList(ListRef first, ListRef second)
    : first_(std::move(first)),
      second_(std::move(second)),
      depth_(1 + std::max(first_->Depth(), second_->Depth())),
      weight_(WeightOn(first_->Weight(), second_->Weight())),
      evaluator_({{"n", &n_}, {"a", &a_}, {"b", &b_}}) {}

void MappedPairList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

int32_t MappedPairList::LengthOf(WorkBudget& budget) {
  const int32_t first = first_->Length(budget);
  const int32_t second = second_->Length(budget);
  if (first == -1) return second;
  if (second == -1) return first;
  return std::max(first, second);
}

Element MappedPairList::ElementOf(uint32_t index, WorkBudget& budget) {
  n_ = index;
  a_ = first_->NumberAt(index, budget);
  b_ = second_->NumberAt(index, budget);
  double value;
  if (!evaluator_.Evaluate(&value, budget)) return Element::None();
  return Element::Number(value);
}

std::shared_ptr<ConcreteList> MappedPairList::ConcreteOf(WorkBudget& budget) {
  if (LengthOf(budget) < 0) return nullptr;
  return MakeConcreteCopy(*this, budget);
}

}  // namespace tallyra
