// FormulaEvaluator: one muParser parser set up for the formula language that
// authors write, with the list's variables bound to the list's own fields.
// Every formula-defined list owns one; the language's set-up (functions,
// operators, constants, the grouping of "^") lives here, shared by all kinds.
//
// Not copyable or movable: the parser holds the addresses of the variables.
#ifndef TALLYRA_FORMULA_FORMULAEVALUATOR_H_
#define TALLYRA_FORMULA_FORMULAEVALUATOR_H_

#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>

class FormulaEvaluator {
 public:
  // Binds each (name, field) in order. The fields must outlive the evaluator.
  explicit FormulaEvaluator(std::initializer_list<std::pair<const char*, double*>> variables);
  ~FormulaEvaluator();
  FormulaEvaluator(const FormulaEvaluator&) = delete;
  FormulaEvaluator& operator=(const FormulaEvaluator&) = delete;

  // Hands the formula to the parser, once; nothing is examined yet.
  void SetFormula(std::string_view text);

  // Evaluates with the variables' current values. False when the evaluation
  // fails (any exception, caught here); *value is then unchanged.
  bool Evaluate(double* value) noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

#endif  // TALLYRA_FORMULA_FORMULAEVALUATOR_H_
