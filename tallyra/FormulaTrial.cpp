#include "tallyra/FormulaTrial.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "formula/FormulaEvaluator.h"
#include "tallyra/FormulaHints.h"
#include "tallyra/ScriptChars.h"

namespace tallyra::script {

std::string TryFormula(const std::string& formula, const std::vector<std::string>& names,
                       const std::vector<double>& values) {
  std::vector<std::string> known = {"n"};
  double n = 0, x = 0, a = 0, b = 0;
  for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
    double* field = names[i] == "n" ? &n : names[i] == "x" ? &x : names[i] == "a" ? &a : &b;
    *field = values[i];
    if (names[i] != "n") known.push_back(names[i]);
  }
  if (std::optional<FormulaEvaluator::Problem> problem = FormulaEvaluator::Check(formula, known)) {
    const std::string where = problem->position >= formula.size()
                                  ? "at its end"
                                  : "at character " + std::to_string(problem->position + 1) + " (" +
                                        Quote(formula.substr(problem->position, 20)) + ")";
    const std::string fixes = FormulaFixes(formula);
    return "the formula " + Quote(formula) + " cannot be read, " + where + ": " + problem->what +
           (fixes.empty() ? "" : "; " + fixes);
  }
  FormulaEvaluator evaluator({{"n", &n}, {"x", &x}, {"a", &a}, {"b", &b}});
  evaluator.SetFormula(formula);
  double value = 0;
  if (!evaluator.Evaluate(&value)) {
    return "no value: the formula " + Quote(formula) +
           " fails for these values (an element there is empty)";
  }
  if (std::isnan(value)) return "nan";
  char text[64];
  const std::to_chars_result r = std::to_chars(text, text + sizeof(text), value);
  return std::string(text, r.ptr);
}

}  // namespace tallyra::script
