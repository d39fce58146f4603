#include "tallyra/ScriptParser.h"

#include <cmath>
#include <optional>
#include <utility>

#include "formula/FormulaEvaluator.h"
#include "tallyra/FormulaHints.h"
#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptHelp.h"
#include "tallyra/Suggest.h"

namespace tallyra::script {

void ScriptParser::SkipSpace() {
  while (pos_ < line_.size() && IsSpace(line_[pos_])) ++pos_;
}

bool ScriptParser::AtEnd() {
  SkipSpace();
  return pos_ >= line_.size();
}

bool ScriptParser::MatchToken(const std::string& token) {
  SkipSpace();
  if (line_.size() - pos_ < token.size()) return false;
  for (size_t i = 0; i < token.size(); ++i) {
    if (Lower(line_[pos_ + i]) != Lower(token[i])) return false;
  }
  if (IsWordChar(token.back()) && pos_ + token.size() < line_.size() &&
      IsWordChar(line_[pos_ + token.size()])) {
    return false;
  }
  pos_ += token.size();
  return true;
}

bool ScriptParser::MatchWords(const std::vector<std::string>& words) {
  size_t start = pos_;
  for (const std::string& w : words) {
    if (!MatchToken(w)) {
      pos_ = start;
      return false;
    }
  }
  return true;
}

bool ScriptParser::ExpectEnd() {
  if (AtEnd()) return true;
  failure_.Note(pos_, "the end of the line");
  return false;
}

void ScriptParser::FailNow(size_t pos, const std::string& what) {
  failure_ = Failure();
  failure_.Note(pos, what);
  Fail();
}

bool ScriptParser::TooDeep() {
  if (depth_ <= kMaxExpressionDepth) return false;
  failure_ = Failure();
  failure_.Note(pos_, "at most " + std::to_string(kMaxExpressionDepth) +
                          " expressions, parentheses and signs inside each other");
  return true;
}

void ScriptParser::Fail() {
  std::string message = "expected " + failure_.expected;
  size_t at = failure_.pos;
  std::string before = line_.substr(0, at);
  while (!before.empty() && IsSpace(before.back())) before.pop_back();
  size_t lead = 0;
  while (lead < before.size() && IsSpace(before[lead])) ++lead;
  before = before.substr(lead);
  if (before.size() > 40) before = "..." + before.substr(before.size() - 40);
  if (!before.empty()) message += " after " + Quote(before);
  while (at < line_.size() && IsSpace(line_[at])) ++at;
  if (at >= line_.size()) {
    message += ", found the end of the line";
  } else {
    std::string rest = line_.substr(at);
    if (rest.size() > 30) rest = rest.substr(0, 30) + "...";
    message += ", found " + Quote(rest);
  }
  throw ScriptError(0, message + hint_);
}

bool ScriptParser::ParseText(ScriptExpr* out) {
  size_t start = pos_;
  ++pos_;  // the opening quote
  std::string text;
  while (pos_ < line_.size() && line_[pos_] != '"') {
    char c = line_[pos_];
    if (c == '\\') {
      if (pos_ + 1 < line_.size() && (line_[pos_ + 1] == '"' || line_[pos_ + 1] == '\\')) {
        text += line_[pos_ + 1];
        pos_ += 2;
        continue;
      }
      FailNow(pos_, "\\\" or \\\\ (a backslash starts one of these two escapes)");
    }
    text += c;
    ++pos_;
  }
  if (pos_ >= line_.size()) {
    FailNow(line_.size(),
            "a closing quote for the text that starts at column " + std::to_string(start + 1));
  }
  ++pos_;
  out->kind = ScriptExpr::Kind::kLiteral;
  out->literal = ScriptValue::Text(std::move(text));
  out->text = true;
  return true;
}

bool ScriptParser::ParseNumber(ScriptExpr* out) {
  size_t start = pos_;
  size_t i = pos_;
  if (i < line_.size() && line_[i] == '-') ++i;
  while (i < line_.size() && IsDigit(line_[i])) ++i;
  if (i + 1 < line_.size() && line_[i] == '.' && IsDigit(line_[i + 1])) {
    ++i;
    while (i < line_.size() && IsDigit(line_[i])) ++i;
  }
  ScriptValue value;
  if (!ParseNumberLiteral(line_.substr(start, i - start), &value)) {
    failure_.Note(start, "a number");
    return false;
  }
  pos_ = i;
  out->kind = ScriptExpr::Kind::kLiteral;
  out->literal = value;
  out->text = false;
  return true;
}

bool ScriptParser::ParseCall(const std::string& what, ScriptExpr* out) {
  size_t start = pos_;
  while (pos_ < line_.size() && IsNameChar(line_[pos_])) ++pos_;
  std::string name = line_.substr(start, pos_ - start);
  SkipSpace();
  if (pos_ >= line_.size() || line_[pos_] != '(') {
    failure_.Note(start, what);
    pos_ = start;
    return false;
  }
  const std::vector<OperationDescription>& expressions =
      grammar_.description().operations[OperationKind::kExpression];
  const OperationDescription* found = nullptr;
  for (const OperationDescription& e : expressions) {
    std::string written = e.display;
    if (!written.empty() && written.back() == '(') written.pop_back();
    if (SameText(written, name)) {
      found = &e;
      break;
    }
  }
  if (found == nullptr) {
    std::string names;
    for (const OperationDescription& e : expressions)
      names += (names.empty() ? "" : ", ") + e.display;
    // Another reading of the line may still take the name as its own word.
    failure_.NoteSpecific(start, "an expression (" + names + ")");
    pos_ = start;
    return false;
  }
  ++pos_;  // "("
  out->kind = ScriptExpr::Kind::kCall;
  out->code = found->code;
  out->text = (found->flags & kExpressionResultText) != 0;
  out->operands.clear();
  const size_t count = found->params.size();
  SkipSpace();
  if (pos_ < line_.size() && line_[pos_] == ')' && count == 0) {
    ++pos_;
    return true;
  }
  for (size_t i = 0; i < count; ++i) {
    const ParamDescription& p = found->params[i];
    std::string arg_what =
        ArgumentWhat(OperationKind::kExpression, found->code, static_cast<int>(i));
    SkipSpace();
    size_t arg_start = pos_;
    ScriptExpr arg;
    const Failure before = failure_;
    if (!ParseExpression(&arg)) {
      // Nothing of an argument here: say which argument was expected.
      if (failure_.pos == arg_start && !failure_.specific) failure_ = before;
      failure_.Note(arg_start, arg_what);
      Fail();
    }
    if (arg.text != ParameterTakesText(OperationKind::kExpression, p.type)) {
      FailNow(arg_start, arg_what);
    }
    out->operands.push_back(std::move(arg));
    SkipSpace();
    const bool last = i + 1 == count;
    const char wanted = last ? ')' : ',';
    if (pos_ >= line_.size() || line_[pos_] != wanted) {
      if (last) {
        failure_.Note(pos_, "\")\" to end the arguments of " + found->display);
      } else {
        failure_.Note(pos_, "\",\" and " + ArgumentWhat(OperationKind::kExpression, found->code,
                                                        static_cast<int>(i + 1)));
      }
      Fail();
    }
    ++pos_;
  }
  if (count == 0) FailNow(pos_, "\")\": " + found->display + " takes no arguments");
  return true;
}

bool ScriptParser::ParseAtom(const std::string& what, ScriptExpr* out) {
  SkipSpace();
  if (pos_ >= line_.size()) {
    failure_.Note(pos_, what);
    return false;
  }
  char c = line_[pos_];
  if (c == '"') return ParseText(out);
  if (IsDigit(c) || (c == '-' && pos_ + 1 < line_.size() && IsDigit(line_[pos_ + 1]))) {
    return ParseNumber(out);
  }
  if (c == '(') {
    size_t start = pos_;
    ++pos_;
    if (!ParseNumberExpression("a number", out)) Fail();
    SkipSpace();
    if (pos_ >= line_.size() || line_[pos_] != ')') {
      failure_.Note(pos_, "\")\" to close the \"(\" at column " + std::to_string(start + 1));
      Fail();
    }
    ++pos_;
    return true;
  }
  if (IsLetter(c)) return ParseCall(what, out);
  failure_.Note(pos_, what);
  return false;
}

bool ScriptParser::ParseUnary(ScriptExpr* out) {
  Nesting nesting(&depth_);
  if (TooDeep()) Fail();
  SkipSpace();
  if (pos_ < line_.size() && line_[pos_] == '-' &&
      !(pos_ + 1 < line_.size() && IsDigit(line_[pos_ + 1]))) {
    ++pos_;
    ScriptExpr operand;
    SkipSpace();
    size_t start = pos_;
    if (!ParseUnary(&operand)) return false;
    if (operand.text) FailNow(start, "a number to negate");
    out->kind = ScriptExpr::Kind::kNegate;
    out->text = false;
    out->operands.clear();
    out->operands.push_back(std::move(operand));
    return true;
  }
  return ParseAtom("a text, a number, an expression or \"(\"", out);
}

bool ScriptParser::ParseTerm(ScriptExpr* out, bool lenient) {
  SkipSpace();
  size_t start = pos_;
  if (!ParseUnary(out)) return false;
  ScriptExpr product;
  product.kind = ScriptExpr::Kind::kProduct;
  product.operands.push_back(std::move(*out));
  for (;;) {
    SkipSpace();
    if (pos_ >= line_.size() || line_[pos_] != '*') break;
    if (product.operands.front().text) {
      if (lenient) break;
      FailNow(start, "a number on the left of \"*\"");
    }
    const size_t before = pos_;
    const Failure failed = failure_;
    ++pos_;
    SkipSpace();
    size_t right = pos_;
    ScriptExpr operand;
    if (!ParseUnary(&operand)) {
      if (!lenient) return false;
      pos_ = before;
      failure_ = failed;
      break;
    }
    if (operand.text) FailNow(right, "a number on the right of \"*\"");
    product.operands.push_back(std::move(operand));
  }
  *out = product.operands.size() == 1 ? std::move(product.operands.front()) : std::move(product);
  return true;
}

bool ScriptParser::ParseExpression(ScriptExpr* out, bool lenient) {
  SkipSpace();
  size_t start = pos_;
  if (!ParseTerm(out, lenient)) return false;
  ScriptExpr sum;
  sum.kind = ScriptExpr::Kind::kSum;
  sum.operands.push_back(std::move(*out));
  for (;;) {
    SkipSpace();
    if (pos_ >= line_.size() || (line_[pos_] != '+' && line_[pos_] != '-')) break;
    const char op = line_[pos_];
    if (sum.operands.front().text) {
      if (lenient) break;
      FailNow(start, std::string("a number on the left of \"") + op + "\"");
    }
    const size_t before = pos_;
    const Failure failed = failure_;
    ++pos_;
    SkipSpace();
    size_t right = pos_;
    ScriptExpr operand;
    if (!ParseTerm(&operand, lenient)) {
      if (!lenient) return false;
      pos_ = before;
      failure_ = failed;
      break;
    }
    if (operand.text) FailNow(right, std::string("a number on the right of \"") + op + "\"");
    sum.operands.push_back(std::move(operand));
    sum.signs += op;
  }
  *out = sum.operands.size() == 1 ? std::move(sum.operands.front()) : std::move(sum);
  return true;
}

bool ScriptParser::ParseNumberExpression(const std::string& what, ScriptExpr* out) {
  SkipSpace();
  size_t start = pos_;
  const Failure before = failure_;
  if (!ParseExpression(out)) {
    if (failure_.pos == start && !failure_.specific) {
      failure_ = before;
      failure_.Note(start, what);
    }
    return false;
  }
  if (out->text) {
    failure_.Note(start, what);
    return false;
  }
  return true;
}

std::string ScriptParser::ArgumentWhat(OperationKind kind, int code, int index) const {
  const OperationDescription& info = grammar_.Info(kind, code);
  if (index < 0 || index >= static_cast<int>(info.params.size())) return "an argument";
  const ParamDescription& p = info.params[index];
  std::string what = ParameterTakesText(kind, p.type) ? "a text" : "a number";
  if (!p.title.empty()) what += " for " + Quote(p.title);
  if (kind == OperationKind::kExpression) what += " of " + info.display;
  return what;
}

bool ScriptParser::MatchTemplate(const Template& t, size_t skip_tokens,
                                 std::vector<ScriptExpr>* args) {
  const OperationDescription& info = grammar_.Info(t.kind, t.code);
  args->assign(info.params.size(), ScriptExpr());
  for (const ScriptGrammar::Segment& seg : t.segments) {
    if (seg.param) {
      SkipSpace();
      const size_t arg_start = pos_;
      const Failure before = failure_;
      if (!ParseExpression(&(*args)[seg.index], true)) {
        // Nothing of an argument here: say which argument was expected.
        if (failure_.pos == arg_start && !failure_.specific) failure_ = before;
        failure_.Note(arg_start, ArgumentWhat(t.kind, t.code, seg.index));
        return false;
      }
      continue;
    }
    for (size_t i = skip_tokens; i < seg.tokens.size(); ++i) {
      if (!MatchToken(seg.tokens[i])) {
        SkipSpace();
        std::string words;
        for (size_t k = i; k < seg.tokens.size(); ++k) {
          const std::string& w = seg.tokens[k];
          if (!words.empty() && (IsWordChar(w.front()) || w == "(") &&
              (IsWordChar(words.back()) || words.back() == ':' || words.back() == ',')) {
            words += ' ';
          }
          words += w;
        }
        failure_.Note(pos_, Quote(words));
        return false;
      }
    }
    skip_tokens = 0;
  }
  return ExpectEnd();
}

bool ScriptParser::MatchOperation(const std::vector<Template>& templates, bool allow_on_shorthand,
                                  int* code, std::vector<ScriptExpr>* args) {
  const size_t start = pos_;
  const Template* mismatched =
      nullptr;  // of the templates whose words match, the one that the arguments miss least
  std::vector<ScriptExpr> mismatched_args;
  size_t fewest_wrong = 0;
  for (int pass = 0; pass < (allow_on_shorthand ? 2 : 1); ++pass) {
    for (const Template& t : templates) {
      if (!t.usable) continue;
      size_t skip = 0;
      if (pass == 1) {
        // After the keyword on, a condition that reads "On ..." may drop its "On".
        if (t.segments.front().param || !SameText(t.segments.front().tokens.front(), "on"))
          continue;
        skip = 1;
      }
      pos_ = start;
      std::vector<ScriptExpr> found;
      if (!MatchTemplate(t, skip, &found)) continue;
      const OperationDescription& info = grammar_.Info(t.kind, t.code);
      size_t wrong = 0;
      for (size_t i = 0; i < found.size(); ++i) {
        wrong += found[i].text != ParameterTakesText(t.kind, info.params[i].type);
      }
      if (wrong == 0) {
        *code = t.code;
        *args = std::move(found);
        return true;
      }
      if (mismatched == nullptr || wrong < fewest_wrong) {
        mismatched = &t;
        mismatched_args = std::move(found);
        fewest_wrong = wrong;
      }
    }
  }
  pos_ = start;
  if (mismatched == nullptr) return false;
  // The words fit but the arguments' types do not: say which.
  const OperationDescription& info = grammar_.Info(mismatched->kind, mismatched->code);
  std::string message = "wrong argument types for " +
                        Quote(grammar_.FormOf(mismatched->kind, mismatched->code)) + ":";
  bool first = true;
  for (size_t i = 0; i < mismatched_args.size(); ++i) {
    bool want_text = ParameterTakesText(mismatched->kind, info.params[i].type);
    if (mismatched_args[i].text == want_text) continue;
    message += std::string(first ? "" : ";") + " <" + info.params[i].title + "> takes " +
               (want_text ? "a text" : "a number") + ", found " +
               (mismatched_args[i].text ? "a text" : "a number");
    first = false;
  }
  // Say so when another operation shares the display string.
  for (const Template& t : templates) {
    const OperationDescription& other = grammar_.Info(t.kind, t.code);
    if (&t != mismatched && other.display == info.display) {
      message += " (the same words with other types name " +
                 std::string(t.kind == OperationKind::kAction ? "action " : "condition ") +
                 std::to_string(t.code) + ": " + grammar_.FormOf(t.kind, t.code) + ")";
    }
  }
  throw ScriptError(0, message);
}

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

}  // namespace

void ScriptParser::Warn(const std::string& message) {
  if (warnings_ != nullptr) warnings_->push_back(message);
}

void ScriptParser::CheckArguments(OperationKind kind, int code,
                                  const std::vector<ScriptExpr>& args) {
  const OperationDescription& info = grammar_.Info(kind, code);
  for (size_t i = 0; i < args.size() && i < info.params.size(); ++i) {
    const ScriptExpr& arg = args[i];
    const ParamDescription& p = info.params[i];
    if (arg.kind != ScriptExpr::Kind::kLiteral) continue;
    const ScriptValue& value = arg.literal;
    if (value.kind == ScriptValue::Kind::kFloat && !ParameterTakesText(kind, p.type) &&
        static_cast<float>(ValueAsInteger(value)) != value.real) {
      const bool fraction = std::trunc(value.real) != value.real;
      Warn(FormatValue(value) +
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
        Warn(
            "the formula " + Quote(f) + " cannot be read, " + where + ": " + problem->what +
            (filter ? "; no element will pass the filter" : "; the list's elements will be empty") +
            (fixes.empty() ? "" : "; " + fixes));
      } else if (const std::string assigned = FormulaAssignment(value.text); !assigned.empty()) {
        Warn("the formula " + Quote(value.text) + " assigns with \"=\" (" + assigned +
             " gives the variable a value and is that value); write \"==\" to compare");
      }
    }
  }
}

bool ScriptParser::ParsePrint(ScriptStatement* statement) {
  SkipSpace();
  const size_t start = pos_;
  if (MatchWords({"List", "object"})) {
    statement->kind = ScriptStatement::Kind::kPrintListObject;
    ParseTextArgument("the List object's name, a text", &statement->name);
    if (!ExpectEnd()) Fail();
    return true;
  }
  if (MatchOperation(grammar_.condition_templates(), false, &statement->code, &statement->args)) {
    statement->kind = ScriptStatement::Kind::kPrintCondition;
    return true;
  }
  pos_ = start;
  if (ParseExpression(&statement->expr) && ExpectEnd()) {
    statement->kind = ScriptStatement::Kind::kPrintExpression;
    return true;
  }
  if (failure_.VagueAt(start)) {
    failure_ = Failure();
    failure_.Note(start, "an expression, a condition or List object to print");
  }
  Fail();
}

bool ScriptParser::ParseListObject(ScriptStatement* statement) {
  statement->kind = ScriptStatement::Kind::kSetListObject;
  ParseTextArgument("the List object's name, a text", &statement->name);
  if (!MatchToken("holds")) {
    failure_.Note(pos_, "\"holds\"");
    Fail();
  }
  if (MatchToken("nothing")) {
    if (!ExpectEnd()) Fail();
    return true;
  }
  for (;;) {
    ScriptExpr item;
    if (!ParseExpression(&item)) {
      failure_.Note(pos_, "an item (a text or a number) or nothing");
      Fail();
    }
    statement->args.push_back(std::move(item));
    if (AtEnd()) return true;
    if (line_[pos_] != ',') {
      failure_.Note(pos_, "\",\" and another item, or the end of the line");
      Fail();
    }
    ++pos_;
  }
}

void ScriptParser::ParsePlot(ScriptStatement* statement) {
  statement->kind = ScriptStatement::Kind::kPlot;
  const OperationDescription* length = nullptr;
  const OperationDescription* element = nullptr;
  for (const OperationDescription& e :
       grammar_.description().operations[OperationKind::kExpression]) {
    if (SameText(e.display, "Length(")) length = &e;
    if (SameText(e.display, "ElementAtStr$(")) element = &e;
  }
  if (length == nullptr || element == nullptr) {
    throw ScriptError(0,
                      "plot needs the expressions Length( and ElementAtStr$(, which this "
                      "module does not have");
  }
  ParseTextArgument("the list's name, a text", &statement->name);
  ScriptExpr count;
  if (!ParseNumberExpression("the number of elements to plot", &count) || !ExpectEnd()) Fail();
  ScriptExpr length_call;
  length_call.kind = ScriptExpr::Kind::kCall;
  length_call.code = length->code;
  length_call.operands.push_back(statement->name);
  statement->args.push_back(std::move(length_call));
  statement->args.push_back(std::move(count));
  statement->code = element->code;
}

bool ScriptParser::ParseCanonicalAction(ScriptStatement* statement) {
  statement->kind = ScriptStatement::Kind::kAction;
  const std::vector<OperationDescription>& actions =
      grammar_.description().operations[OperationKind::kAction];
  const std::string codes = "an action code from 0 to " + std::to_string(actions.size() - 1);
  SkipSpace();
  size_t code_start = pos_;
  ScriptExpr code;
  if (actions.empty() || !ParseNumber(&code) || code.literal.kind != ScriptValue::Kind::kInteger ||
      code.literal.integer < 0 || code.literal.integer >= static_cast<int32_t>(actions.size())) {
    failure_ = Failure();
    failure_.Note(code_start, codes);
    Fail();
  }
  statement->code = code.literal.integer;
  const OperationDescription& info = actions[statement->code];
  for (size_t i = 0; i < info.params.size(); ++i) {
    std::string what = ArgumentWhat(OperationKind::kAction, info.code, static_cast<int>(i));
    SkipSpace();
    size_t arg_start = pos_;
    if (i > 0 && arg_start > 0 && !IsSpace(line_[arg_start - 1]) && arg_start < line_.size()) {
      failure_.Note(arg_start, "a blank before the next argument");
      Fail();
    }
    ScriptExpr arg;
    if (!ParseAtom(what, &arg)) Fail();
    if (arg.text != ParameterTakesText(OperationKind::kAction, info.params[i].type)) {
      failure_.Note(arg_start, what);
      Fail();
    }
    statement->args.push_back(std::move(arg));
  }
  if (!AtEnd()) {
    const char next = line_[pos_];
    const bool arithmetic = next == '+' || next == '-' || next == '*';
    failure_.Note(pos_,
                  "the end of the line: action " + std::to_string(info.code) + " takes " +
                      std::to_string(info.params.size()) + " argument" +
                      (info.params.size() == 1 ? "" : "s") +
                      (arithmetic ? "; add parentheses around an argument that is arithmetic, "
                                    "as in (1 + 1)"
                                  : ""));
    Fail();
  }
  return true;
}

void ScriptParser::CheckExpression(const ScriptExpr& expr) {
  if (expr.kind == ScriptExpr::Kind::kCall) {
    CheckArguments(OperationKind::kExpression, expr.code, expr.operands);
  }
  for (const ScriptExpr& e : expr.operands) CheckExpression(e);
}

void ScriptParser::CheckStatement(const ScriptStatement& statement) {
  switch (statement.kind) {
    case ScriptStatement::Kind::kAction:
      CheckArguments(OperationKind::kAction, statement.code, statement.args);
      break;
    case ScriptStatement::Kind::kPrintCondition:
    case ScriptStatement::Kind::kIf:
    case ScriptStatement::Kind::kOnEvent:
      CheckArguments(OperationKind::kCondition, statement.code, statement.args);
      break;
    case ScriptStatement::Kind::kTime:
      for (const ScriptStatement& s : statement.body) CheckStatement(s);
      break;
    default:
      break;
  }
  for (const ScriptExpr& e : statement.args) CheckExpression(e);
  CheckExpression(statement.expr);
  CheckExpression(statement.name);
}

ScriptLineKind ScriptParser::Parse(ScriptStatement* statement) {
  const LineKind kind = ParseStatement(statement);
  if (kind == LineKind::kStatement || kind == LineKind::kBlockStart) CheckStatement(*statement);
  return kind;
}

ScriptLineKind ScriptParser::ParseStatement(ScriptStatement* statement) {
  *statement = ScriptStatement();
  SkipSpace();
  if (pos_ >= line_.size()) return LineKind::kNothing;
  const size_t start = pos_;
  if (MatchToken("print")) {
    ParsePrint(statement);
    return LineKind::kStatement;
  }
  if (MatchToken("repeat")) {
    statement->kind = ScriptStatement::Kind::kRepeat;
    if (!ParseNumberExpression("the number of times to repeat", &statement->expr) || !ExpectEnd()) {
      Fail();
    }
    return LineKind::kBlockStart;
  }
  if (MatchToken("on")) {
    SkipSpace();
    const size_t cond_start = pos_;
    if (!MatchOperation(grammar_.condition_templates(), true, &statement->code, &statement->args)) {
      if (failure_.VagueAt(cond_start)) {
        failure_ = Failure();
        std::string forms;
        for (const OperationDescription& c :
             grammar_.description().operations[OperationKind::kCondition]) {
          forms += (forms.empty() ? "" : ", ") + grammar_.FormOf(OperationKind::kCondition, c.code);
        }
        failure_.Note(cond_start, "a condition (" + forms + ")");
      }
      Fail();
    }
    statement->kind = grammar_.IsRaisedCondition(statement->code) ? ScriptStatement::Kind::kOnEvent
                                                                  : ScriptStatement::Kind::kIf;
    return LineKind::kBlockStart;
  }
  if (MatchToken("end")) {
    if (!ExpectEnd()) Fail();
    return LineKind::kBlockEnd;
  }
  if (MatchToken("action")) {
    ParseCanonicalAction(statement);
    return LineKind::kStatement;
  }
  if (MatchToken("help")) {
    std::string text;
    if (!HelpOn(grammar_, line_.substr(pos_), &text)) {
      text.pop_back();
      throw ScriptError(0, text);
    }
    text.pop_back();
    statement->kind = ScriptStatement::Kind::kPrintExpression;
    statement->expr.literal = ScriptValue::Text(text);
    statement->expr.text = true;
    return LineKind::kStatement;
  }
  if (MatchToken("time")) {
    SkipSpace();
    const size_t timed = pos_;
    ScriptStatement inner;
    const LineKind kind = ParseStatement(&inner);
    if (kind != LineKind::kStatement) {
      FailNow(timed, "one statement to time (not a block, nor its end)");
    }
    *statement = ScriptStatement();
    statement->kind = ScriptStatement::Kind::kTime;
    statement->body.push_back(std::move(inner));
    return LineKind::kStatement;
  }
  if (MatchToken("plot")) {
    ParsePlot(statement);
    return LineKind::kStatement;
  }
  if (MatchWords({"List", "object"})) {
    ParseListObject(statement);
    return LineKind::kStatement;
  }
  if (MatchToken("quit") || MatchToken("exit") || MatchToken("sets")) {
    const bool sets = SameText(line_.substr(start, 4), "sets");
    if (!ExpectEnd()) Fail();
    statement->kind = sets ? ScriptStatement::Kind::kSets : ScriptStatement::Kind::kQuit;
    return LineKind::kStatement;
  }
  if (MatchToken("eval")) {
    ParseEval(statement);
    return LineKind::kStatement;
  }
  if (MatchToken("save") || MatchToken("load")) {
    ParseTransfer(statement, SameText(line_.substr(start, 4), "save"));
    return LineKind::kStatement;
  }
  pos_ = start;
  statement->kind = ScriptStatement::Kind::kAction;
  if (MatchOperation(grammar_.action_templates(), false, &statement->code, &statement->args)) {
    return LineKind::kStatement;
  }
  if (ParseBareExpression(start, statement)) return LineKind::kStatement;
  if (failure_.VagueAt(start)) {
    failure_ = Failure();
    failure_.Note(start,
                  "an action, an expression, print, repeat, on, end, List object or action CODE "
                  "(help lists them)");
  }
  const std::string meant = MeantForm();
  if (!meant.empty()) hint_ = "; did you mean " + meant + "?";
  Fail();
}

bool ScriptParser::ParseBareExpression(size_t start, ScriptStatement* statement) {
  const Failure action_failure = failure_;
  pos_ = start;
  ScriptExpr expr;
  try {
    if (ParseExpression(&expr) && AtEnd()) {
      *statement = ScriptStatement();
      statement->kind = ScriptStatement::Kind::kPrintExpression;
      statement->expr = std::move(expr);
      return true;
    }
  } catch (const ScriptError&) {
    // The line reads as an expression further than as an action: say why it is none.
    if (failure_.pos > action_failure.pos) throw;
  }
  failure_ = action_failure;
  pos_ = start;
  return false;
}

namespace {

// A line cut into lower-case words and marks, each argument (a text, a
// number, a call with its parentheses) one "%", each with where it starts:
// the shape that a misspelled line shares with the form it was meant to be.
struct ShapeToken {
  std::string text;
  size_t pos;
};

std::vector<ShapeToken> LineShape(const std::string& line) {
  std::vector<ShapeToken> shape;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    const size_t start = i;
    if (IsSpace(c)) {
      ++i;
      continue;
    }
    if (c == '#') break;
    if (c == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\') ++i;
      }
      ++i;
      shape.push_back({"%", start});
    } else if (IsDigit(c) || (c == '-' && i + 1 < line.size() && IsDigit(line[i + 1]))) {
      for (++i; i < line.size() && (IsDigit(line[i]) || line[i] == '.'); ++i) {
      }
      shape.push_back({"%", start});
    } else if (IsWordChar(c)) {
      size_t e = i;
      while (e < line.size() && (IsWordChar(line[e]) || line[e] == '$')) ++e;
      size_t next = e;
      while (next < line.size() && IsSpace(line[next])) ++next;
      if (next < line.size() && line[next] == '(') {
        int depth = 0;  // a call: its parentheses and what is inside them
        for (i = next; i < line.size(); ++i) {
          if (line[i] == '(') ++depth;
          if (line[i] == ')' && --depth == 0) break;
        }
        ++i;
        shape.push_back({"%", start});
      } else {
        std::string word;
        for (; i < e; ++i) word += Lower(line[i]);
        shape.push_back({word, start});
      }
    } else {
      shape.push_back({std::string(1, c), start});
      ++i;
    }
  }
  return shape;
}

std::string Joined(const std::vector<std::string>& tokens) {
  std::string text;
  for (const std::string& t : tokens) text += (text.empty() ? "" : " ") + t;
  return text;
}

}  // namespace

std::string ScriptParser::MeantForm() const {
  std::vector<std::vector<std::string>> shapes;
  std::vector<std::string> forms;
  for (const Template& t : grammar_.action_templates()) {
    if (!t.usable) continue;
    std::vector<std::string> shape;
    for (const ScriptGrammar::Segment& seg : t.segments) {
      if (seg.param) {
        shape.push_back("%");
        continue;
      }
      for (const std::string& token : seg.tokens) {
        std::string word;
        for (char c : token) word += Lower(c);
        shape.push_back(word);
      }
    }
    shapes.push_back(shape);
    forms.push_back(Quote(grammar_.FormOf(t.kind, t.code)));
  }
  // The statements of the language that take arguments.
  for (const auto& [shape, form] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"print", "%"}, "print EXPRESSION"},
           {{"repeat", "%"}, "repeat N"},
           {{"plot", "%", "%"}, "plot \"NAME\" N"},
           {{"save", "%", "to", "%"}, "save \"NAME\" to \"FILE\""},
           {{"load", "%", "into", "%"}, "load \"FILE\" into \"NAME\""},
           {{"eval", "%"}, "eval \"FORMULA\" n=N"}}) {
    shapes.push_back(shape);
    forms.push_back(form);
  }
  const std::vector<ShapeToken> line = LineShape(line_);
  std::vector<std::string> line_words;
  for (const ShapeToken& t : line) line_words.push_back(t.text);
  std::vector<std::string> joined;
  for (const std::vector<std::string>& shape : shapes) joined.push_back(Joined(shape));
  const std::string closest = Closest(Joined(line_words), joined);
  for (size_t i = 0; i < shapes.size() && !closest.empty(); ++i) {
    if (joined[i] != closest) continue;
    // Worth saying only where the line goes wrong before the point that the
    // message names (another form led the reading astray), or when no form
    // got past the line's start.
    size_t k = 0;
    while (k < line.size() && k < shapes[i].size() && line[k].text == shapes[i][k]) ++k;
    const size_t differs = k < line.size() ? line[k].pos : line_.size();
    if (differs < failure_.pos || failure_.pos == (line.empty() ? 0 : line[0].pos)) {
      return forms[i];
    }
    return std::string();
  }
  return std::string();
}

void ScriptParser::ParseTextArgument(const std::string& what, ScriptExpr* out) {
  SkipSpace();
  const size_t start = pos_;
  if (!ParseAtom(what, out) || !out->text) {
    failure_.Note(start, what);
    Fail();
  }
}

void ScriptParser::ParseEval(ScriptStatement* statement) {
  statement->kind = ScriptStatement::Kind::kEval;
  ParseTextArgument("the formula, a text", &statement->expr);
  while (!AtEnd()) {
    const size_t name_start = pos_;
    std::string name;
    while (pos_ < line_.size() && IsWordChar(line_[pos_])) name += line_[pos_++];
    if (name != "n" && name != "x" && name != "a" && name != "b") {
      FailNow(name_start, "a variable and its value (n=3, x=2.5, a=1, b=2)");
    }
    SkipSpace();
    if (pos_ >= line_.size() || line_[pos_] != '=') FailNow(pos_, "\"=\" and the value of " + name);
    ++pos_;
    SkipSpace();
    const size_t value_start = pos_;
    ScriptExpr value;
    if (!ParseNumberExpression("the value of " + name + ", a number", &value)) Fail();
    if (value.kind == ScriptExpr::Kind::kLiteral &&
        value.literal.kind == ScriptValue::Kind::kFloat) {
      // Kept as written, so that the formula gets it in double precision.
      value.literal = ScriptValue::Text(line_.substr(value_start, pos_ - value_start));
    }
    statement->words.push_back(name);
    statement->args.push_back(std::move(value));
  }
  if (const std::string assigned = FormulaAssignment(statement->expr.literal.text);
      statement->expr.kind == ScriptExpr::Kind::kLiteral && !assigned.empty()) {
    Warn("the formula " + Quote(statement->expr.literal.text) + " assigns with \"=\" (" + assigned +
         "); write \"==\" to compare");
  }
}

void ScriptParser::ParseTransfer(ScriptStatement* statement, bool save) {
  statement->kind = save ? ScriptStatement::Kind::kSave : ScriptStatement::Kind::kLoad;
  ScriptExpr* first = save ? &statement->name : &statement->expr;
  ScriptExpr* second = save ? &statement->expr : &statement->name;
  if (save) statement->list_object = MatchWords({"List", "object"});
  ParseTextArgument(
      save ? "the name of the set or List object to save, a text" : "the file to load, a text",
      first);
  const char* link = save ? "to" : "into";
  if (!MatchToken(link)) {
    failure_.Note(pos_, Quote(link));
    Fail();
  }
  if (!save) statement->list_object = MatchWords({"List", "object"});
  ParseTextArgument(save ? "the file to save to, a text (- for the output)"
                         : "the name of the set or List object to append to, a text",
                    second);
  if (!ExpectEnd()) Fail();
}

}  // namespace tallyra::script
