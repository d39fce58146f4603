// FormulaEvaluator: one muParser parser set up for the formula language that
// authors write, with the list's variables bound to the list's own fields.
// Every formula-defined list owns one. Where muParser's language differs from
// the authors', the parser is mended and the text rewritten before parsing;
// a formula the parser rejects fails every evaluation, and a value the
// language leaves undefined fails that one evaluation (doc/formula-language.md).
// Never throws. Not copyable or movable: the parser holds the addresses of the
// variables.
#ifndef TALLYRA_FORMULA_FORMULAEVALUATOR_H_
#define TALLYRA_FORMULA_FORMULAEVALUATOR_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallyra {

class WorkBudget;

class FormulaEvaluator {
 public:
  // Binds each (name, field) in order. The fields must outlive the evaluator
  // and stay where they are.
  explicit FormulaEvaluator(const std::vector<std::pair<const char*, double*>>& variables);
  explicit FormulaEvaluator(std::initializer_list<std::pair<const char*, double*>> variables)
      : FormulaEvaluator(std::vector<std::pair<const char*, double*>>(variables)) {}
  ~FormulaEvaluator();
  FormulaEvaluator(const FormulaEvaluator&) = delete;
  FormulaEvaluator& operator=(const FormulaEvaluator&) = delete;
  FormulaEvaluator(FormulaEvaluator&&) = delete;
  FormulaEvaluator& operator=(FormulaEvaluator&&) = delete;

  // The longest formula accepted, in bytes. Its length is the first thing
  // looked at: a longer one is refused before it is rewritten or parsed, so
  // that no formula takes long to parse (parsing takes time that grows with
  // the square of the formula's size).
  static constexpr std::size_t kMaxFormulaLength = 4096;

  // Hands the formula to the parser and parses it, at once: a formula longer
  // than kMaxFormulaLength, or one that the parser rejects, fails at every
  // evaluation. Never throws.
  void SetFormula(std::string_view text) noexcept;
  // SetFormula, its work charged to budget first (DefinitionCost): false,
  // and the formula not handed over, when the budget cannot pay.
  bool SetFormula(std::string_view text, WorkBudget& budget) noexcept;
  // What setting a formula of `bytes` bytes costs in WorkBudget units: the
  // parse and compilation of the slowest formula of that size.
  static uint64_t DefinitionCost(std::size_t bytes);

  // Evaluates with the variables' current values. False when the evaluation
  // fails (any exception, caught here); *value is then unchanged.
  bool Evaluate(double* value) noexcept;

  // Evaluate, its work charged to budget: Cost() before it (false, nothing
  // evaluated, when the budget is spent), and after it what SubnormalMeter
  // finds owed for evaluations that met a subnormal number, which makes the
  // processor's work many times slower (work_cost::kSubnormalFactor); false
  // when that is more than is left. The value is never changed.
  bool Evaluate(double* value, WorkBudget& budget) noexcept;

  // What one evaluation costs in WorkBudget units: a fixed part and a part for
  // each step of the compiled formula, more for the steps that call a
  // function or an operator. The same at every evaluation, whatever the
  // values; a rejected formula costs the fixed part only.
  uint64_t Cost() const;

  // Why the parser cannot read a formula written for a list whose variables
  // have these names: where (the position in the text as written, from 0;
  // its length when the text ends too early) and what is wrong there. Empty
  // when the parser reads it; a formula that reads may still fail at an
  // evaluation ("mod" by 0). The same set-up as every list's, so the answer
  // is the lists' own. Never throws; a formula too long for the parser is
  // reported as such.
  struct Problem {
    std::size_t position = 0;
    std::string what;
  };
  static std::optional<Problem> Check(std::string_view text,
                                      const std::vector<std::string>& variables);

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

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FORMULAEVALUATOR_H_
