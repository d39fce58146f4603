#include "formula/FilteredList.h"

#include <utility>

namespace tallyra {

FilteredList::FilteredList(ListRef base)
    : base_(std::move(base)),
      depth_(1 + base_->Depth()),
      weight_(WeightOn(base_->Weight())),
      evaluator_({{"n", &n_}, {"x", &x_}}) {}

void FilteredList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

Element FilteredList::ElementOf(uint32_t index, WorkBudget& budget) {
  if (index < passing_.size()) return base_->ElementAt(passing_[index], budget);
  constexpr uint64_t k_last_position = UINT32_MAX;
  const int32_t length = base_->Length(budget);
  if (budget.Spent()) return Element::None();
  const uint64_t end = length >= 0 ? static_cast<uint64_t>(length) : k_last_position + 1;
  Cursor at = StartFor(index);
  bool found = false;
  while (at.position < end) {
    const auto position = static_cast<uint32_t>(at.position);
    const bool passes = PassesFilter(position, budget);
    // A test whose read of the base was cut short saw no true element: it is
    // not taken as made, and the next call tests this position again.
    if (budget.Spent()) break;
    ++at.position;
    if (!passes) continue;
    Remember(at.passed, position);
    if (at.passed++ == index) {
      found = true;
      break;
    }
  }
  // Where the next search for this element starts: at the element itself when
  // it was found (so that a read cut short after it starts there again).
  const Cursor again = found ? Cursor{at.position - 1, at.passed - 1} : at;
  if (at.position >= frontier_.position) frontier_ = at;
  if (again.position < frontier_.position && again.passed > 0) resume_ = again;
  if (!found) return Element::None();
  return base_->ElementAt(static_cast<uint32_t>(again.position), budget);
}

FilteredList::Cursor FilteredList::StartFor(uint32_t k) const {
  // Past the passing positions remembered one by one: k >= passing_.size().
  Cursor best;
  if (!passing_.empty()) best = {uint64_t{passing_.back()} + 1, passing_.size()};
  if (k >= kMaxRemembered && !checkpoints_.empty()) {
    const uint64_t j = (k - kMaxRemembered) / stride_;
    if (j < checkpoints_.size()) {
      best = {checkpoints_[j], kMaxRemembered + j * stride_};
    } else {
      best = {checkpoints_.back(), kMaxRemembered + (checkpoints_.size() - 1) * stride_};
    }
  }
  if (resume_.passed <= k && resume_.position > best.position) best = resume_;
  if (frontier_.passed <= k && frontier_.position > best.position) best = frontier_;
  return best;
}

void FilteredList::Remember(uint64_t rank, uint32_t position) {
  if (rank < kMaxRemembered) {
    if (rank == passing_.size()) passing_.push_back(position);
    return;
  }
  if (rank != kMaxRemembered + checkpoints_.size() * stride_) return;
  if (checkpoints_.size() == kMaxCheckpoints) {
    // Every other one goes: the rank of the next is unchanged.
    for (std::size_t j = 0; j < checkpoints_.size() / 2; ++j) checkpoints_[j] = checkpoints_[2 * j];
    checkpoints_.resize(checkpoints_.size() / 2);
    stride_ *= 2;
  }
  checkpoints_.push_back(position);
}

bool FilteredList::PassesFilter(uint32_t position, WorkBudget& budget) {
  n_ = position;
  x_ = base_->NumberAt(position, budget);
  double value;
  if (!evaluator_.Evaluate(&value, budget)) return false;
  return FormulaEvaluator::TruncateToInt32(value) != 0;
}

}  // namespace tallyra
