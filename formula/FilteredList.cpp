#include "formula/FilteredList.h"

#include <utility>

#include "lists/SearchBudget.h"

FilteredList::FilteredList(ListRef base)
    : base_(std::move(base)),
      depth_(1 + base_->Depth()),
      weight_(WeightOn(base_->Weight())),
      evaluator_({{"n", &n_}, {"x", &x_}}) {}

void FilteredList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

Element FilteredList::ElementAt(uint32_t index) {
  ExtendPassing(index);
  if (passing_.size() > index) return base_->ElementAt(passing_[index]);
  return Element::None();
}

void FilteredList::ExtendPassing(uint32_t k) {
  constexpr uint64_t kLastPosition = UINT32_MAX;
  uint64_t position = passing_.empty() ? 0 : uint64_t{passing_.back()} + 1;
  uint64_t tests = 0;
  while (passing_.size() <= k) {
    const int32_t length = base_->Length();
    if (length >= 0 && position >= static_cast<uint64_t>(length)) return;
    if (position > kLastPosition) return;
    if (tests >= kMaxTestsPerSearch || SearchBudget::Draw(1) == 0) return;
    ++tests;
    const bool passes = PassesFilter(static_cast<uint32_t>(position));
    // A test whose read of the base ran out of budget saw no true element:
    // it is not taken as made.
    if (SearchBudget::Spent()) return;
    if (passes) passing_.push_back(static_cast<uint32_t>(position));
    ++position;
  }
}

bool FilteredList::PassesFilter(uint32_t position) {
  n_ = position;
  x_ = ElementNumber(base_->ElementAt(position));
  double value;
  if (!evaluator_.Evaluate(&value)) return false;
  return FormulaEvaluator::TruncateToInt32(value) != 0;
}
