#include "formula/FilteredList.h"

#include <algorithm>
#include <utility>

namespace tallyra {

namespace {
constexpr uint64_t kPositionsEnd = uint64_t{UINT32_MAX} + 1;  // positions never wrap
}  // namespace

FilteredList::FilteredList(ListRef base, Limits limits)
    : FormulaDefinedList({"n", "x"}, 1 + base->Depth(), WeightOn(base->Weight())),
      limits_(limits),
      base_(std::move(base)) {}

Element FilteredList::ElementOf(uint32_t index, WorkBudget& budget) {
  if (index < passing_.size()) return base_->ElementAt(passing_[index], budget);
  const uint64_t version = base_->Version(budget);
  if (budget.Spent()) return Element::None();
  // Read again, as a filter built on this one does right after its test
  // found it: the base's element is as it was while its version holds.
  if (index == last_read_.index && version == last_read_.version) return last_read_.element;
  if (index < settled_.passed) return Revisit(index, version, budget);
  return Extend(index, version, budget);
}

Element FilteredList::Extend(uint32_t index, uint64_t version, WorkBudget& budget) {
  const int32_t length = base_->Length(budget);
  if (budget.Spent()) return Element::None();
  const uint64_t end = length >= 0 ? static_cast<uint64_t>(length) : kPositionsEnd;
  if (version != seen_version_) {
    // What failed past the last passing position may pass now.
    seen_version_ = version;
    frontier_ = settled_;
    while (!grid_.empty() && GridPosition(grid_.size() - 1) > settled_.position) grid_.pop_back();
  }
  Cursor at = frontier_;
  while (at.position < end) {
    RecordGridPoint(at);
    const auto position = static_cast<uint32_t>(at.position);
    const bool passes = PassesFilter(position, budget);
    // A test whose read of the base was cut short saw no true element: it is
    // not taken as made, and the next call tests this position again.
    if (budget.Spent()) break;
    ++at.position;
    if (!passes) continue;
    Remember(at.passed, position);
    if (at.passed++ == index) {
      frontier_ = at;
      return ReadFound(index, position, version, budget);
    }
  }
  frontier_ = at;
  return Element::None();
}

Element FilteredList::Revisit(uint32_t index, uint64_t version, WorkBudget& budget) {
  // The last grid point with at most `index` passing positions below it; the
  // element lies before the next one (or before settled_).
  const auto after = std::upper_bound(grid_.begin(), grid_.end(), index);
  if (after == grid_.begin()) return Element::None();  // not while the invariant holds
  const auto j = static_cast<uint64_t>(after - grid_.begin()) - 1;
  Cursor at{GridPosition(j), grid_[j]};
  const uint64_t limit = std::min(GridPosition(j + 1), settled_.position);
  ResumePoint* resumed = nullptr;
  for (ResumePoint& point : resume_points_) {
    if (point.at.passed <= index && point.at.position >= at.position && point.at.position < limit &&
        (resumed == nullptr || point.at.position > at.position)) {
      at = point.at;
      resumed = &point;
    }
  }
  if (resumed != nullptr) resumed->used = ++uses_;
  if (found_.passed == index && found_.position >= at.position && found_.position < limit) {
    at = found_;  // read again: a filter built on this one tests, then reads
  }
  const uint64_t start = at.position;
  while (at.position < limit) {
    const auto position = static_cast<uint32_t>(at.position);
    const bool passes = PassesFilter(position, budget);
    if (budget.Spent()) break;
    ++at.position;
    if (passes && at.passed++ == index) return ReadFound(index, position, version, budget);
  }
  if (budget.Spent() && at.position > start) KeepResumePoint(at);
  // Else the element was not found below settled_: only where the base has
  // changed in place since its positions were tested.
  return Element::None();
}

Element FilteredList::ReadFound(uint32_t index, uint64_t position, uint64_t version,
                                WorkBudget& budget) {
  if (index >= passing_.size()) found_ = {position, index};
  Element element = base_->ElementAt(static_cast<uint32_t>(position), budget);
  if (budget.Spent()) {
    if (index >= passing_.size()) KeepResumePoint(found_);
    return element;
  }
  last_read_ = {index, version, element};
  return element;
}

void FilteredList::Remember(uint64_t rank, uint64_t position) {
  settled_ = {position + 1, rank + 1};
  if (rank >= limits_.remembered || rank != passing_.size()) return;
  passing_.push_back(static_cast<uint32_t>(position));
  if (passing_.size() == limits_.remembered) grid_start_ = position + 1;
}

void FilteredList::RecordGridPoint(const Cursor& at) {
  if (passing_.size() < limits_.remembered || at.position != GridPosition(grid_.size())) return;
  if (grid_.size() >= limits_.grid_points) {
    // Every other one goes: the next grid point stays where it was.
    for (std::size_t j = 0; j < grid_.size() / 2; ++j) grid_[j] = grid_[2 * j];
    grid_.resize(grid_.size() / 2);
    grid_step_ *= 2;
  }
  grid_.push_back(static_cast<uint32_t>(at.passed));
}

void FilteredList::KeepResumePoint(const Cursor& at) {
  if (limits_.resume_points == 0) return;
  for (ResumePoint& point : resume_points_) {
    if (point.at.position == at.position) {
      point.used = ++uses_;
      return;
    }
  }
  if (resume_points_.size() < limits_.resume_points) {
    resume_points_.push_back({at, ++uses_});
    return;
  }
  auto oldest =
      std::min_element(resume_points_.begin(), resume_points_.end(),
                       [](const ResumePoint& a, const ResumePoint& b) { return a.used < b.used; });
  *oldest = {at, ++uses_};
}

bool FilteredList::PassesFilter(uint32_t position, WorkBudget& budget) {
  const double x = base_->NumberAt(position, budget);
  double value;
  if (!Evaluate({static_cast<double>(position), x}, &value, budget)) return false;
  return FormulaEvaluator::TruncateToInt32(value) != 0;
}

}  // namespace tallyra
