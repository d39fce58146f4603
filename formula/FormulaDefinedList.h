// FormulaDefinedList: a list whose elements a formula computes (FormulaList,
// MappedList, MappedPairList, SubsequenceList, FilteredList). Each owns one
// FormulaEvaluator whose variables are bound to the list's own fields, so such
// a list is neither copyable nor movable: it keeps one place in memory for its
// whole life (it is always held through a ListRef).
//
// The defining action calls SetFormula once, right after construction and
// before the list is stored. Nothing about the formula is examined then; it is
// parsed at the first evaluation, and a formula that fails gives the list's
// fallback (the None element, or "does not pass" for a filter), never a
// message. Every list built on others holds them as ListRef, never as names:
// rebinding a base's name does not change the list.
//
// Each evaluation charges its formula's cost (FormulaEvaluator::Cost()) to the
// WorkBudget of the host's call; a base is read only through List's charged
// operations (a number through NumberAt, which reads a stored base in place).
// An element is the None element once the budget is spent.
#ifndef TALLYRA_FORMULA_FORMULADEFINEDLIST_H_
#define TALLYRA_FORMULA_FORMULADEFINEDLIST_H_

#include <cstdint>
#include <string_view>

#include "lists/ConcreteList.h"
#include "lists/List.h"

namespace tallyra {

class FormulaDefinedList : public List {
 public:
  FormulaDefinedList() = default;
  FormulaDefinedList(const FormulaDefinedList&) = delete;
  FormulaDefinedList& operator=(const FormulaDefinedList&) = delete;
  FormulaDefinedList(FormulaDefinedList&&) = delete;
  FormulaDefinedList& operator=(FormulaDefinedList&&) = delete;

  // Hands the formula text, exactly as the author typed it, to the list's
  // evaluator. Never throws and never fails.
  virtual void SetFormula(std::string_view text) noexcept = 0;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FORMULADEFINEDLIST_H_
