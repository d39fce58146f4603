#include "formula/FormulaEvaluator.h"

#include <cmath>
#include <limits>
#include <string>

#include <muParser.h>

#include "formula/FormulaRewriting.h"
#include "lists/WorkBudget.h"

namespace {

double Log10(double v) { return std::log10(v); }

double BitAnd(double a, double b) {
  return FormulaEvaluator::TruncateToInt32(a) & FormulaEvaluator::TruncateToInt32(b);
}
double BitOr(double a, double b) {
  return FormulaEvaluator::TruncateToInt32(a) | FormulaEvaluator::TruncateToInt32(b);
}
double BitXor(double a, double b) {
  return FormulaEvaluator::TruncateToInt32(a) ^ FormulaEvaluator::TruncateToInt32(b);
}

// The remainder of the truncated operands, with the sign of the first. A
// divisor of 0, and -2147483648 by -1 (whose quotient has no int32), have no
// value: the call raises the evaluator's flag (user_data) and gives NaN, and
// the evaluation fails. Throwing from here would cost some 150 evaluations.
double Mod(void* user_data, double a, double b) {
  const int32_t dividend = FormulaEvaluator::TruncateToInt32(a);
  const int32_t divisor = FormulaEvaluator::TruncateToInt32(b);
  if (divisor == 0 || (dividend == INT32_MIN && divisor == -1)) {
    *static_cast<bool*>(user_data) = true;
    return std::numeric_limits<double>::quiet_NaN();
  }
  return dividend % divisor;
}

// Never reached by a call with three arguments, which the text rewriting turns
// into the parser's lazy conditional; defined so that a call with another
// number of arguments fails as such. NaN counts as true, as in the conditional.
double If(double condition, double then_value, double else_value) {
  return condition != 0 ? then_value : else_value;
}

// The cost of one evaluation of the parser's compiled formula.
uint64_t CompiledCost(const mu::ParserByteCode& code) {
  uint64_t cost = work_cost::kEvaluation;
  const std::size_t size = code.GetSize();
  if (size == 0) return cost;
  const mu::SToken* step = code.GetBase();
  for (std::size_t i = 0; i < size; ++i) {
    switch (step[i].Cmd) {
      case mu::cmPOW:
      case mu::cmFUNC:
      case mu::cmFUNC_STR:
      case mu::cmFUNC_BULK:
      case mu::cmOPRT_BIN:
      case mu::cmOPRT_POSTFIX:
      case mu::cmOPRT_INFIX:
        cost += work_cost::kFormulaCall;
        break;
      default:
        cost += work_cost::kFormulaStep;
        break;
    }
  }
  return cost;
}

}  // namespace

struct FormulaEvaluator::Impl {
  mu::Parser parser;
  bool rejected = true;          // no formula yet, or one that the parser refused
  bool undefined_value = false;  // raised by a call without a value during Eval
  uint64_t cost = work_cost::kEvaluation;
};

FormulaEvaluator::FormulaEvaluator(std::initializer_list<std::pair<const char*, double*>> variables)
    : impl_(std::make_unique<Impl>()) {
  mu::Parser& parser = impl_->parser;
  // The language's differences from muParser's own.
  parser.DefineFun("log", Log10);
  // Never folded while parsing: its flag must rise at every evaluation that
  // calls it with operands that have no remainder.
  parser.DefineFunUserData("mod", Mod, &impl_->undefined_value, /*a_bAllowOpt=*/false);
  parser.DefineFun("if", If);
  parser.DefineOprt("and", BitAnd, mu::prLOGIC, mu::oaLEFT, /*a_bAllowOpt=*/true);
  parser.DefineOprt("or", BitOr, mu::prLOGIC, mu::oaLEFT, /*a_bAllowOpt=*/true);
  parser.DefineOprt("xor", BitXor, mu::prLOGIC, mu::oaLEFT, /*a_bAllowOpt=*/true);
  parser.DefineConst("_pi", 3.141592653589793);
  parser.DefineConst("_e", 2.718281828459045);
  for (const auto& [name, field] : variables) parser.DefineVar(name, field);
}

FormulaEvaluator::~FormulaEvaluator() = default;

void FormulaEvaluator::SetFormula(std::string_view text) noexcept {
  impl_->rejected = true;
  impl_->cost = work_cost::kEvaluation;
  if (text.size() > kMaxFormulaLength) return;
  try {
    impl_->parser.SetExpr(RewriteForParser(text));
    // The parser parses at its first evaluation: made here, so that reading
    // the list never waits for it. The variables' values do not matter.
    impl_->parser.Eval();
    impl_->cost = CompiledCost(impl_->parser.GetByteCode());
    impl_->rejected = false;
  } catch (...) {
    // Rejected by the parser, too long for it, or no memory for it.
  }
}

bool FormulaEvaluator::Evaluate(double* value) noexcept {
  if (impl_->rejected) return false;
  try {
    impl_->undefined_value = false;
    const double result = impl_->parser.Eval();
    if (impl_->undefined_value) return false;
    *value = result;
    return true;
  } catch (...) {
    // Once the formula is parsed, evaluating it raises nothing.
    impl_->rejected = true;
  }
  return false;
}

uint64_t FormulaEvaluator::Cost() const { return impl_->cost; }
