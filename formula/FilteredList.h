// FilteredList: the base's elements, in base order and exactly as the base
// gives them, for which the formula is true, with n = the position in the base
// and x = the element there as a number. True means: the value truncated
// toward zero to a signed 32-bit integer is not 0 (NaN and values outside that
// range become -2147483648 and pass); a formula that fails does not pass.
// Unbounded whatever the base; cannot be made concrete.
//
// Searching. Element k is found by testing base positions in order, from the
// nearest place before it that the list knows. What it knows, in bounded
// memory (about 4 MB at most):
//   - the positions of the first kMaxRemembered passing elements;
//   - past those, the position of every stride-th passing element, at most
//     kMaxCheckpoints of them (the stride doubles when they would be more);
//   - the frontier: how far the tests have gone, and how many passed below it;
//   - one resume point behind the frontier, where the last search among the
//     checkpoints stopped.
// Each test charges the formula's cost and the base read's to the call's
// WorkBudget; when it runs out the search stops where it is (a test cut short
// is not taken as made) and element k is None for this call, and the next
// call goes on from there: repeated reads reach every element that exists.
// A search also ends at the end of a finite base (whose length is asked once
// per read) and past position 4294967295 (positions never wrap); element k is
// then None, until a growing base has more.
//
// The base is held (ListRef) for the list's whole life and is never null.
#ifndef TALLYRA_FORMULA_FILTEREDLIST_H_
#define TALLYRA_FORMULA_FILTEREDLIST_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "formula/FormulaDefinedList.h"
#include "formula/FormulaEvaluator.h"
#include "lists/ListRef.h"

namespace tallyra {

class FilteredList final : public FormulaDefinedList {
 public:
  // How many passing positions are remembered one by one (4 MB).
  static constexpr uint32_t kMaxRemembered = 1u << 20;
  // How many positions are remembered past those.
  static constexpr uint32_t kMaxCheckpoints = 1u << 12;

  explicit FilteredList(ListRef base);
  void SetFormula(std::string_view text) noexcept override;
  uint32_t Depth() const override { return depth_; }
  uint64_t Weight() const override { return weight_; }

  // The first passing positions, as far as they are remembered one by one.
  const std::vector<uint32_t>& PassingPositions() const { return passing_; }
  // How many base positions have been tested, from 0, and how many passed.
  uint64_t TestedCount() const { return frontier_.position; }
  uint64_t PassedCount() const { return frontier_.passed; }

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

  // The known place nearest before passing element k (passed <= k).
  Cursor StartFor(uint32_t k) const;
  // Remembers passing element `rank`, found at position, as far as it is kept.
  void Remember(uint64_t rank, uint32_t position);
  // Tests one base position; a formula that fails does not pass.
  bool PassesFilter(uint32_t position, WorkBudget& budget);

  std::vector<uint32_t> passing_;      // the first passing positions
  std::vector<uint32_t> checkpoints_;  // passing element kMaxRemembered + j * stride_
  uint64_t stride_ = 1;
  Cursor frontier_;
  Cursor resume_;  // behind the frontier; passed == 0 when there is none
  ListRef base_;
  uint32_t depth_;
  uint64_t weight_;
  double n_ = 0;
  double x_ = 0;
  FormulaEvaluator evaluator_;  // bound to n_ and x_; declared after them
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FILTEREDLIST_H_
