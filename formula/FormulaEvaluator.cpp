#include "formula/FormulaEvaluator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include <muParser.h>

#include "formula/FormulaRewriting.h"
#include "formula/SubnormalMeter.h"
#include "lists/WorkBudget.h"

namespace tallyra {

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

// The authors' language on a new parser: what differs from muParser's own.
// `undefined_value` is the flag that "mod" raises.
void SetUpLanguage(mu::Parser& parser, bool* undefined_value) {
  parser.DefineFun("log", Log10);
  // Never folded while parsing: its flag must rise at every evaluation that
  // calls it with operands that have no remainder.
  parser.DefineFunUserData("mod", Mod, undefined_value, /*a_bAllowOpt=*/false);
  parser.DefineFun("if", If);
  parser.DefineOprt("and", BitAnd, mu::prLOGIC, mu::oaLEFT, /*a_bAllowOpt=*/true);
  parser.DefineOprt("or", BitOr, mu::prLOGIC, mu::oaLEFT, /*a_bAllowOpt=*/true);
  parser.DefineOprt("xor", BitXor, mu::prLOGIC, mu::oaLEFT, /*a_bAllowOpt=*/true);
  parser.DefineConst("_pi", 3.141592653589793);
  parser.DefineConst("_e", 2.718281828459045);
}

std::string Quoted(const std::string& token) { return "\"" + token + "\""; }

// What the parser's error says, in the words of the formula language.
std::string Explain(const mu::ParserError& e, const std::vector<std::string>& variables) {
  const std::string token = e.GetToken();
  switch (e.GetCode()) {
    case mu::ecUNASSIGNABLE_TOKEN:
    case mu::ecUNEXPECTED_VAR: {
      if (!token.empty() && ((token[0] >= 'a' && token[0] <= 'z') ||
                             (token[0] >= 'A' && token[0] <= 'Z') || token[0] == '_')) {
        std::string names;
        for (size_t i = 0; i < variables.size(); ++i) {
          names += (i == 0 ? "" : i + 1 == variables.size() ? " and " : ", ") + variables[i];
        }
        if (e.GetCode() == mu::ecUNEXPECTED_VAR) {
          return Quoted(token) + " follows a value without an operator between them";
        }
        return Quoted(token) + " is no variable, constant or function here (this list's " +
               (variables.size() == 1 ? "variable is " : "variables are ") + names + ")";
      }
      // The parser's token runs on to the end; the character is what it stops at.
      size_t end = 1;
      while (end < token.size() && static_cast<unsigned char>(token[end]) >= 0x80 &&
             static_cast<unsigned char>(token[end]) < 0xC0) {
        ++end;  // the rest of a UTF-8 character
      }
      return Quoted(token.substr(0, end)) + " is not part of the formula language";
    }
    case mu::ecUNEXPECTED_EOF:
      return "the formula ends where a value or \")\" is still expected";
    case mu::ecUNEXPECTED_OPERATOR:
      return "the operator " + Quoted(token) + " has no value on its left";
    case mu::ecUNEXPECTED_ARG_SEP:
      return "a \",\" outside the arguments of a function";
    case mu::ecUNEXPECTED_VAL:
    case mu::ecUNEXPECTED_FUN:
      return Quoted(token) + " follows a value without an operator between them";
    case mu::ecUNEXPECTED_ARG:
    case mu::ecUNEXPECTED_PARENS:
      return Quoted(token) + " is out of place";
    case mu::ecMISSING_PARENS:
      return "a \"(\" is not closed";
    case mu::ecTOO_MANY_PARAMS:
      return "too many arguments for " + Quoted(token);
    case mu::ecTOO_FEW_PARAMS:
      return "too few arguments for " + Quoted(token);
    case mu::ecUNEXPECTED_STR:
    case mu::ecUNTERMINATED_STRING:
    case mu::ecSTR_RESULT:
    case mu::ecSTRING_EXPECTED:
    case mu::ecVAL_EXPECTED:
    case mu::ecOPRT_TYPE_CONFLICT:
      return "a text in quotes has no place in a formula";
    case mu::ecUNEXPECTED_CONDITIONAL:
    case mu::ecMISSING_ELSE_CLAUSE:
    case mu::ecMISPLACED_COLON:
      return "\"?\" and \":\" must come in pairs, value ? value : value";
    case mu::ecEXPRESSION_TOO_LONG:
      return "the formula is too long";
    case mu::ecIDENTIFIER_TOO_LONG:
      return "a name is too long";
    case mu::ecINVALID_CHARACTERS_FOUND:
      return "the formula holds a character that no formula may hold";
    default:
      break;
  }
  return "the parser cannot read it";
}

}  // namespace

struct FormulaEvaluator::Impl {
  mu::Parser parser;
  bool rejected = true;          // no formula yet, or one that the parser refused
  bool undefined_value = false;  // raised by a call without a value during Eval
  uint64_t cost = work_cost::kEvaluation;
};

FormulaEvaluator::FormulaEvaluator(const std::vector<std::pair<const char*, double*>>& variables)
    : impl_(std::make_unique<Impl>()) {
  mu::Parser& parser = impl_->parser;
  SetUpLanguage(parser, &impl_->undefined_value);
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

bool FormulaEvaluator::SetFormula(std::string_view text, WorkBudget& budget) noexcept {
  if (!budget.Charge(DefinitionCost(text.size()))) return false;
  SetFormula(text);
  return true;
}

uint64_t FormulaEvaluator::DefinitionCost(std::size_t bytes) {
  // A formula past the length cap is refused unread.
  const uint64_t parsed = bytes > kMaxFormulaLength ? 0 : bytes;
  return work_cost::kFormulaDefinition + parsed * work_cost::kFormulaByte;
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

bool FormulaEvaluator::Evaluate(double* value, WorkBudget& budget) noexcept {
  if (!budget.Charge(impl_->cost)) return false;
  const bool evaluated = Evaluate(value);
  const uint64_t owed =
      SubnormalMeter::Count(impl_->cost, evaluated ? *value : 0.0, work_cost::kSubnormalFactor);
  if (owed != 0 && !budget.Charge(owed)) return false;
  return evaluated;
}

uint64_t FormulaEvaluator::Cost() const { return impl_->cost; }

std::optional<FormulaEvaluator::Problem> FormulaEvaluator::Check(
    std::string_view text, const std::vector<std::string>& variables) {
  if (text.size() > kMaxFormulaLength) {
    return Problem{kMaxFormulaLength,
                   "the formula is longer than " + std::to_string(kMaxFormulaLength) + " bytes"};
  }
  try {
    mu::Parser parser;
    bool undefined_value = false;
    SetUpLanguage(parser, &undefined_value);
    std::vector<double> values(variables.size(), 0.0);
    for (size_t i = 0; i < variables.size(); ++i) parser.DefineVar(variables[i], &values[i]);
    std::vector<std::size_t> origins;
    const std::string rewritten = RewriteForParser(text, &origins);
    try {
      parser.SetExpr(rewritten);
      parser.Eval();
    } catch (const mu::ParserError& e) {
      Problem problem;
      problem.what = Explain(e, variables);
      const int pos = e.GetPos();
      problem.position = pos >= 0 && static_cast<size_t>(pos) < origins.size()
                             ? origins[static_cast<size_t>(pos)]
                             : std::min(static_cast<size_t>(pos < 0 ? 0 : pos), text.size());
      return problem;
    }
  } catch (...) {
    return Problem{0, "the formula cannot be checked"};
  }
  return std::nullopt;
}

}  // namespace tallyra
