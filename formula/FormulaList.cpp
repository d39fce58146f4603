#include "formula/FormulaList.h"

#include "lists/SearchBudget.h"

FormulaList::FormulaList() : evaluator_({{"n", &n_}}) {}

void FormulaList::SetFormula(std::string_view text) noexcept { evaluator_.SetFormula(text); }

Element FormulaList::ElementAt(uint32_t index) {
  if (SearchBudget::Draw(1) == 0) return Element::None();
  n_ = index;
  double value;
  if (!evaluator_.Evaluate(&value)) return Element::None();
  return Element::Number(value);
}
