#include "formula/FormulaEvaluator.h"

#include <cmath>
#include <string>

#include <muParser.h>

#include "formula/PowerGrouping.h"

namespace {

// The value of a call that the language leaves undefined; it fails the one
// evaluation. The code is one that the parser itself never raises, so that a
// failure of this kind is told apart from a formula that the parser rejects.
constexpr mu::EErrorCodes kUndefinedValue = mu::ecDOMAIN_ERROR;

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
// divisor of 0, and -2147483648 by -1 (whose quotient has no int32), fail.
double Mod(double a, double b) {
  const int32_t dividend = FormulaEvaluator::TruncateToInt32(a);
  const int32_t divisor = FormulaEvaluator::TruncateToInt32(b);
  if (divisor == 0 || (dividend == INT32_MIN && divisor == -1)) {
    throw mu::ParserError(kUndefinedValue);
  }
  return dividend % divisor;
}

// NaN counts as true.
double If(double condition, double then_value, double else_value) {
  return condition != 0 ? then_value : else_value;
}

}  // namespace

struct FormulaEvaluator::Impl {
  mu::Parser parser;
  bool rejected = true;  // no formula yet, or one that the parser refused
};

FormulaEvaluator::FormulaEvaluator(std::initializer_list<std::pair<const char*, double*>> variables)
    : impl_(std::make_unique<Impl>()) {
  mu::Parser& parser = impl_->parser;
  // The language's differences from muParser's own.
  parser.DefineFun("log", Log10);
  parser.DefineFun("mod", Mod, /*a_bAllowOpt=*/false);  // may fail: evaluated, never folded
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
  try {
    impl_->rejected = false;
    impl_->parser.SetExpr(GroupPowersFromLeft(text));
  } catch (...) {
    impl_->rejected = true;  // too long, or no memory for it
  }
}

bool FormulaEvaluator::Evaluate(double* value) noexcept {
  if (impl_->rejected) return false;
  try {
    *value = impl_->parser.Eval();
    return true;
  } catch (const mu::ParserError& error) {
    // Anything but an undefined value comes from parsing, which would fail the
    // same way every time.
    if (error.GetCode() != kUndefinedValue) impl_->rejected = true;
  } catch (...) {
    impl_->rejected = true;
  }
  return false;
}
