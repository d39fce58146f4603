// FilteredList: the base's elements, in base order and exactly as the base
// gives them, for which the formula is true, with n = the position in the base
// and x = the element there as a number. True means: the value truncated
// toward zero to a signed 32-bit integer is not 0 (NaN and values outside that
// range become -2147483648 and pass); a formula that fails does not pass.
// Unbounded whatever the base; cannot be made concrete.
//
// It remembers the base positions found to pass (strictly increasing, only
// ever appended to; every position below the last one that is not among them
// was tested and failed). Element k reads the base at the k-th of them,
// searching forward from the last one first when there are too few. A search
// ends at the end of a finite base (its Length() asked afresh at each step),
// at position 4294967295 (positions never wrap), after kMaxTestsPerSearch
// tests, or when the SearchBudget of the host call in progress is spent;
// element k is then None. A test during which the budget ran out (its read
// of the base may have been cut short) is not taken as made. A test whose formula fails costs no
// more than one that it passes (see FormulaEvaluator) and counts as one test. Positions that failed
// are not remembered: a later search tests again from the last passing position on.
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

class FilteredList final : public FormulaDefinedList {
 public:
  // A single search tests at most this many base positions before it gives up
  // and the element asked for reads as None.
  static constexpr uint32_t kMaxTestsPerSearch = 1u << 24;

  explicit FilteredList(ListRef base);
  void SetFormula(std::string_view text) noexcept override;
  int32_t Length() override { return -1; }
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }
  uint32_t Depth() const override { return depth_; }
  uint64_t Weight() const override { return weight_; }

  // The base positions found so far to pass.
  const std::vector<uint32_t>& PassingPositions() const { return passing_; }

 private:
  // Searches until more than k positions are known to pass or the search ends.
  void ExtendPassing(uint32_t k);
  // Tests one base position; a formula that fails does not pass.
  bool PassesFilter(uint32_t position);

  std::vector<uint32_t> passing_;
  ListRef base_;
  uint32_t depth_;
  uint64_t weight_;
  double n_ = 0;
  double x_ = 0;
  FormulaEvaluator evaluator_;  // bound to n_ and x_; declared after them
};

#endif  // TALLYRA_FORMULA_FILTEREDLIST_H_
