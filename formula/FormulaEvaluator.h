// FormulaEvaluator: one muParser parser set up for the formula language that
// authors write, with the list's variables bound to the list's own fields.
// Every formula-defined list owns one; the language's set-up (functions,
// operators, constants, the grouping of "^") lives here, shared by all kinds.
//
// Where muParser's own language differs from the authors' language, the
// constructor mends it on the parser right after creating it:
//   - "log" is the base-10 logarithm ("ln" stays the natural one);
//   - "and", "or" and "xor" are bitwise operators on operands truncated to
//     signed 32-bit integers, below the comparisons and above "=";
//   - "mod" (remainder of truncated operands, the sign of the first) and "if"
//     (NaN counts as true) are functions;
//   - "_pi" and "_e" have their full double values;
//   - chains of "^" group from the left: SetFormula regroups them in the text
//     (GroupPowersFromLeft) before the parser sees it, because muParser groups
//     its built-in "^" from the right and refuses a user "^" while its
//     built-in operators (among them the assignment "=") are on.
//
// Failures: every exception from the parser is caught here. A formula that the
// parser rejects (syntax, undefined name, too long) is rejected for good: later
// evaluations fail at once without parsing again. A value that the language
// leaves undefined ("mod" by 0, or of -2147483648 by -1) fails that one
// evaluation only.
//
// Not copyable or movable: the parser holds the addresses of the variables.
#ifndef TALLYRA_FORMULA_FORMULAEVALUATOR_H_
#define TALLYRA_FORMULA_FORMULAEVALUATOR_H_

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>

class FormulaEvaluator {
 public:
  // Binds each (name, field) in order. The fields must outlive the evaluator
  // and stay where they are.
  explicit FormulaEvaluator(std::initializer_list<std::pair<const char*, double*>> variables);
  ~FormulaEvaluator();
  FormulaEvaluator(const FormulaEvaluator&) = delete;
  FormulaEvaluator& operator=(const FormulaEvaluator&) = delete;
  FormulaEvaluator(FormulaEvaluator&&) = delete;
  FormulaEvaluator& operator=(FormulaEvaluator&&) = delete;

  // Hands the formula to the parser; nothing is examined yet beyond its length:
  // the parser refuses formulas of 20000 characters or more (counted after
  // the regrouping of "^", which adds two per regrouped "^"), and those fail
  // at every evaluation. Never throws.
  void SetFormula(std::string_view text) noexcept;

  // Evaluates with the variables' current values. False when the evaluation
  // fails (any exception, caught here); *value is then unchanged. The formula
  // is parsed at the first call and never again.
  bool Evaluate(double* value) noexcept;

  // The language's conversion of a number to a signed 32-bit integer
  // (operands of "and", "or", "xor" and "mod", and a filter's verdict):
  // truncation toward zero; NaN and values outside the range become
  // -2147483648.
  static int32_t TruncateToInt32(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return INT32_MIN;
  }

  // A subsequence's base position: truncation toward zero to a signed 64-bit
  // integer, of which the low 32 bits; NaN and values outside the signed
  // 64-bit range give 0.
  static uint32_t TruncateToPosition(double value) {
    if (value >= -9223372036854775808.0 && value < 9223372036854775808.0) {
      return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
    }
    return 0;
  }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

#endif  // TALLYRA_FORMULA_FORMULAEVALUATOR_H_
