#include "tallyra/ArgumentWarnings.h"

#include <cmath>
#include <optional>

#include "formula/FormulaEvaluator.h"
#include "tallyra/FormulaHints.h"
#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptHelp.h"

namespace tallyra::script {

namespace {

// The one-letter variables that a formula parameter's title names: each
// letter followed by "is" ("Formula (x is the current value as a number, n is
// the index)" names x and n).
std::vector<std::string> FormulaVariables(const std::string& title) {
  std::vector<std::string> words;
  std::string word;
  for (char c : title + " ") {
    if (IsWordChar(c)) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  std::vector<std::string> variables;
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i].size() == 1 && IsLetter(words[i][0]) && words[i + 1] == "is") {
      variables.push_back(words[i]);
    }
  }
  return variables;
}

bool IsFormulaParameter(const ParamDescription& p) { return StartsWithText(p.title, "Formula"); }

// Warns of the literal arguments of one call that the object will not take as written.
void CheckArguments(const ScriptGrammar& grammar, OperationKind kind, int code,
                    const std::vector<ScriptExpr>& args, std::vector<std::string>* warnings) {
  const auto warn = [warnings](const std::string& message) { warnings->push_back(message); };
  const OperationDescription& info = grammar.Info(kind, code);
  for (size_t i = 0; i < args.size() && i < info.params.size(); ++i) {
    const ScriptExpr& arg = args[i];
    const ParamDescription& p = info.params[i];
    if (arg.kind != ScriptExpr::Kind::kLiteral) continue;
    const ScriptValue& value = arg.literal;
    if (value.kind == ScriptValue::Kind::kFloat && !ParameterTakesText(kind, p.type) &&
        static_cast<float>(ValueAsInteger(value)) != value.real) {
      const bool fraction = std::trunc(value.real) != value.real;
      warn(FormatValue(value) +
           " is read as an integer: " + (p.title.empty() ? "the argument" : Quote(p.title)) +
           " takes " + std::to_string(ValueAsInteger(value)) +
           (fraction ? " (the fraction is cut off)" : " (it is outside the 32-bit range)"));
    }
    if (kind == OperationKind::kAction && value.IsText() && IsFormulaParameter(p)) {
      std::optional<FormulaEvaluator::Problem> problem =
          FormulaEvaluator::Check(value.text, FormulaVariables(p.title));
      if (problem) {
        const std::string& f = value.text;
        std::string where = problem->position >= f.size()
                                ? "at its end"
                                : "at character " + std::to_string(problem->position + 1) + " (" +
                                      Quote(f.substr(problem->position, 20)) + ")";
        const bool filter = info.display.find("filter") != std::string::npos;
        const std::string fixes = FormulaFixes(f);
        warn(
            "the formula " + Quote(f) + " cannot be read, " + where + ": " + problem->what +
            (filter ? "; no element will pass the filter" : "; the list's elements will be empty") +
            (fixes.empty() ? "" : "; " + fixes));
      } else if (const std::string assigned = FormulaAssignment(value.text); !assigned.empty()) {
        warn("the formula " + Quote(value.text) + " assigns with \"=\" (" + assigned +
             " gives the variable a value and is that value); write \"==\" to compare");
      }
    }
  }
}

void CheckExpression(const ScriptGrammar& grammar, const ScriptExpr& expr,
                     std::vector<std::string>* warnings) {
  if (expr.kind == ScriptExpr::Kind::kCall) {
    CheckArguments(grammar, OperationKind::kExpression, expr.code, expr.operands, warnings);
  }
  for (const ScriptExpr& e : expr.operands) CheckExpression(grammar, e, warnings);
}

void CheckStatement(const ScriptGrammar& grammar, const ScriptStatement& statement,
                    std::vector<std::string>* warnings) {
  switch (statement.kind) {
    case ScriptStatement::Kind::kAction:
      CheckArguments(grammar, OperationKind::kAction, statement.code, statement.args, warnings);
      break;
    case ScriptStatement::Kind::kPrintCondition:
    case ScriptStatement::Kind::kIf:
    case ScriptStatement::Kind::kOnEvent:
      CheckArguments(grammar, OperationKind::kCondition, statement.code, statement.args, warnings);
      break;
    case ScriptStatement::Kind::kTime:
      for (const ScriptStatement& s : statement.body) CheckStatement(grammar, s, warnings);
      break;
    default:
      break;
  }
  for (const ScriptExpr& e : statement.args) CheckExpression(grammar, e, warnings);
  CheckExpression(grammar, statement.expr, warnings);
  CheckExpression(grammar, statement.name, warnings);
}

}  // namespace

std::vector<std::string> ArgumentWarnings(const ScriptGrammar& grammar,
                                          const ScriptStatement& statement) {
  std::vector<std::string> warnings;
  CheckStatement(grammar, statement, &warnings);
  return warnings;
}

}  // namespace tallyra::script
