// FilteredList: the base's elements, in base order and exactly as the base
// gives them, for which the formula is true, with n = the position in the base
// and x = the element there as a number. True means: the value truncated
// toward zero to a signed 32-bit integer is not 0 (NaN and values outside that
// range become -2147483648 and pass); a formula that fails does not pass.
// Unbounded whatever the base; cannot be made concrete.
//
// What it answers. The passing positions only grow, by appending: a read of
// element k that finds fewer than k + 1 tests again from the last passing
// position + 1, as the base stands now, and appends what passes; positions
// that failed are not remembered, so what a base gains or changes later is
// seen; a passing position is never tested again. The search ends at the end
// of a finite base (whose length is asked once per read) and past position
// 4294967295 (positions never wrap); element k is then None, until a base
// that changes has more.
//
// What it keeps, in bounded memory (about 6 MB at most):
//   - the first limits.remembered passing positions, one by one;
//   - past the last of those: the grid, the number of passing positions below
//     every grid_step_-th position (the step doubles when the grid would hold
//     more than limits.grid_points), up to the frontier;
//   - settled_: just past the last passing position found, and how many passed;
//   - frontier_: how far the tests have gone (at or past settled_);
//   - at most limits.resume_points resume points: where searches behind the
//     frontier stopped when a call's budget ran out, the least recently used
//     given up first;
//   - the last element found by a search, its place and a copy of it with the
//     base's version then: a filter built on this one reads it again right
//     after its test has found it, and without the copy each level of filters
//     built one on another would double the work of a read.
// Invariant. Everything below settled_ is the definition's, for good:
// passing_, the grid up to settled_ and the resume points lie there. What lies
// between settled_ and frontier_ (positions tested that failed, grid points
// among them) was found against the base as it was at version seen_version_,
// and is trusted only while the base's Version() still answers that: when it
// answers anything else, frontier_ goes back to settled_ and the grid past it
// is dropped, and the search tests those positions again.
// The one exception: past the positions remembered one by one, an element is
// found again by testing from a grid or resume point, so where the base's
// elements at positions already tested have changed since (a stepped k-subset,
// a mapped pair whose shorter base grew, a subsequence past the end of a base
// that grew), the positions found there may differ from those found first.
//
// Every read finishes. Each test charges the formula's cost and the base
// read's to the call's WorkBudget; when it runs out the search stops (a test
// cut short is not taken as made), element k is None for this call, and the
// next call goes on. Let B be a call's budget and c the most one test costs. A
// read asked again and again, with any other reads of the list between:
//   - of a remembered element: one call (one base read);
//   - past the last passing position found: its search goes on from the
//     frontier, which other reads only move forward, so it finishes within
//     ceil(W / (B - c)) + 1 calls, W the work of the tests from the frontier
//     at its first call to its element (while the base's version holds);
//   - behind the frontier, past the remembered ones: the grid point before it
//     has fewer passing positions below it, the next one at least k + 1, so
//     the element lies within one grid step, at most S = 2^32 / grid_points
//     positions (8,192) from where the search starts: one call when S * c fits
//     in B (c up to about 16,000 units). Else the search resumes from where
//     its last call stopped, which is kept until limits.resume_points other
//     searches behind the frontier have been cut short since: so it finishes
//     within ceil(S * c / (B - c)) + 1 calls, with fewer than that many such
//     reads between two of its calls.
//
// The base is held (ListRef) for the list's whole life and is never null.
#ifndef TALLYRA_FORMULA_FILTEREDLIST_H_
#define TALLYRA_FORMULA_FILTEREDLIST_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "formula/FormulaDefinedList.h"
#include "lists/ListRef.h"

namespace tallyra {

// How much a FilteredList keeps; smaller limits serve the tests that look past
// them.
struct FilterLimits {
  uint32_t remembered = 1u << 20;   // passing positions one by one (4 MB)
  uint32_t grid_points = 1u << 19;  // grid points past them (2 MB); even
  uint32_t resume_points = 64;
};

class FilteredList final : public FormulaDefinedList {
 public:
  using Limits = FilterLimits;
  static constexpr uint32_t kMaxRemembered = Limits{}.remembered;
  static constexpr uint32_t kMaxGridPoints = Limits{}.grid_points;
  static constexpr uint32_t kMaxResumePoints = Limits{}.resume_points;

  explicit FilteredList(ListRef base, Limits limits = Limits{});

  // The first passing positions, as far as they are remembered one by one.
  const std::vector<uint32_t>& PassingPositions() const { return passing_; }
  // How many base positions have been tested, from 0, and how many passed.
  uint64_t TestedCount() const { return frontier_.position; }
  uint64_t PassedCount() const { return settled_.passed; }

 private:
  int32_t LengthOf(WorkBudget&) override { return -1; }
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

  // A place in the search: the next base position to test, and how many
  // positions below it pass.
  struct Cursor {
    uint64_t position = 0;
    uint64_t passed = 0;
  };
  struct ResumePoint {
    Cursor at;
    uint64_t used;  // when it was last made or used (a count of uses)
  };

  uint64_t VersionOf(WorkBudget& budget) override { return base_->Version(budget); }

  // Element index at or past settled_.passed: the search from the frontier,
  // the base at `version`.
  Element Extend(uint32_t index, uint64_t version, WorkBudget& budget);
  // Element index below settled_.passed, past the remembered ones.
  Element Revisit(uint32_t index, uint64_t version, WorkBudget& budget);
  // The base's element at position, the element `index`; when that read is
  // cut short, keeps the place so that the next call tests only it.
  Element ReadFound(uint32_t index, uint64_t position, uint64_t version, WorkBudget& budget);
  // Records passing element `rank`, found at position.
  void Remember(uint64_t rank, uint64_t position);
  // Records the grid point at `at` when at is the next one.
  void RecordGridPoint(const Cursor& at);
  uint64_t GridPosition(uint64_t j) const { return grid_start_ + j * grid_step_; }
  void KeepResumePoint(const Cursor& at);
  // Tests one base position; a formula that fails does not pass.
  bool PassesFilter(uint32_t position, WorkBudget& budget);

  const Limits limits_;
  std::vector<uint32_t> passing_;  // the first passing positions
  std::vector<uint32_t> grid_;     // passing positions below GridPosition(j)
  uint64_t grid_start_ = 0;        // once passing_ is full: past its last entry
  uint64_t grid_step_ = 1;
  Cursor settled_;
  Cursor frontier_;
  uint64_t seen_version_ = 0;  // the base's version that frontier_ was found at
  std::vector<ResumePoint> resume_points_;
  Cursor found_{0, UINT64_MAX};  // the last element found past passing_, if any
  struct {
    uint64_t index = UINT64_MAX;
    uint64_t version = 0;
    Element element;
  } last_read_;  // the last element found by a search, and the base's version then
  uint64_t uses_ = 0;
  ListRef base_;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FILTEREDLIST_H_
