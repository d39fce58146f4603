// FormulaDefinedList: a list whose elements a formula computes (FormulaList,
// MappedList, MappedPairList, SubsequenceList, FilteredList). Each owns one
// FormulaEvaluator whose variables are bound to the list's own fields, so such
// a list is neither copyable nor movable: it keeps one place in memory for its
// whole life (it is always held through a ListRef).
//
// The defining action calls SetFormula once, right after construction and
// before the list is stored, its parse charged to the call's budget; a
// formula that fails gives the list's fallback (the None element, or "does
// not pass" for a filter), never a message. Every list built on others
// holds them as ListRef, never as names: rebinding a base's name does not
// change the list.
//
// Each evaluation charges its formula's cost (FormulaEvaluator::Cost()) to the
// WorkBudget of the host's call; a base is read only through List's charged
// operations (a number through NumberAt, which reads a stored base in place).
// An element is the None element once the budget is spent.
//
// This class holds what every kind shares: the evaluator with the formula's
// variables (named by the kind, at most kMostVariables), and the depth and
// weight of the lists that the kind rests on.
#ifndef TALLYRA_FORMULA_FORMULADEFINEDLIST_H_
#define TALLYRA_FORMULA_FORMULADEFINEDLIST_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "formula/FormulaEvaluator.h"
#include "lists/ConcreteList.h"
#include "lists/List.h"

namespace tallyra {

class FormulaDefinedList : public List {
 public:
  FormulaDefinedList(const FormulaDefinedList&) = delete;
  FormulaDefinedList& operator=(const FormulaDefinedList&) = delete;
  FormulaDefinedList(FormulaDefinedList&&) = delete;
  FormulaDefinedList& operator=(FormulaDefinedList&&) = delete;

  // Hands the formula text, exactly as the author typed it, to the list's
  // evaluator, which parses it; its work charged to budget first
  // (FormulaEvaluator::DefinitionCost): false, the list left without a
  // formula, when the budget cannot pay. Never throws.
  bool SetFormula(std::string_view text, WorkBudget& budget) noexcept {
    return evaluator_.SetFormula(text, budget);
  }
  // The same, uncharged, for lists made outside any host call (tests, tools).
  void SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

  uint32_t Depth() const override { return depth_; }
  uint64_t Weight() const override { return weight_; }

 protected:
  static constexpr std::size_t kMostVariables = 3;

  // A list whose formula reads these variables, in this order, and that rests
  // on lists to this depth and weight (0 and 1: on none; see List).
  FormulaDefinedList(std::initializer_list<const char*> variables, uint32_t depth, uint64_t weight);

  // The formula's value with its variables given these values, in their
  // order, its cost charged to budget (FormulaEvaluator::Evaluate); false when
  // the formula fails or the budget cannot pay.
  bool Evaluate(std::initializer_list<double> values, double* value, WorkBudget& budget) noexcept {
    std::size_t i = 0;
    for (double v : values) {
      if (i == kMostVariables) break;
      values_[i++] = v;
    }
    return evaluator_.Evaluate(value, budget);
  }

 private:
  const uint32_t depth_;
  const uint64_t weight_;
  double values_[kMostVariables] = {};
  FormulaEvaluator evaluator_;  // bound to values_; declared after them
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FORMULADEFINEDLIST_H_
