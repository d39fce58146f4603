#include "tallyra/SessionCompleter.h"

#include <cstddef>
#include <utility>

#include "tallyra/ScriptChars.h"

namespace tallyra::script {

namespace {

// A display string cut into its literal text, as written, and placeholders.
struct Piece {
  bool param = false;
  std::string text;  // literal
};

std::vector<Piece> Pieces(const std::string& display) {
  std::vector<Piece> pieces;
  std::string literal;
  size_t i = 0;
  while (i < display.size()) {
    if (display[i] == '%' && i + 1 < display.size() && IsDigit(display[i + 1])) {
      if (!literal.empty()) pieces.push_back({false, std::move(literal)});
      literal.clear();
      ++i;
      while (i < display.size() && IsDigit(display[i])) ++i;
      pieces.push_back({true, std::string()});
    } else {
      literal += display[i++];
    }
  }
  if (!literal.empty()) pieces.push_back({false, std::move(literal)});
  return pieces;
}

// Whether a parameter takes the name of a set or list of the object (not a
// formula, an element or a List object of the host), as its title says.
bool NamesASet(OperationKind kind, const ParamDescription& param) {
  if (!ParameterTakesText(kind, param.type)) return false;
  std::string title;
  for (char c : param.title) title += Lower(c);
  auto has = [&title](const char* word) { return title.find(word) != std::string::npos; };
  return (has("set") || has("list")) && !has("formula") && !has("element") && !has("object");
}

// Matches the typed line, from one of its positions, against an action's
// form from one of its pieces, and adds a completion wherever the line ends
// inside or right before a piece of literal words. Words match without
// regard to blanks or case; an argument is anything with its quotes and
// parentheses closed and no word outside quotes but expression names. Each (piece, position) is
// tried once, so the work is bounded by their product.
class FormMatcher {
 public:
  FormMatcher(const std::vector<Piece>& pieces, const std::string& typed,
              std::set<std::string>* found)
      : pieces_(pieces), typed_(typed), found_(found) {}

  void Match(size_t piece, size_t pos) {
    if (piece == pieces_.size() || !tried_.insert({piece, pos}).second) return;
    if (pieces_[piece].param) {
      MatchArgument(piece, pos);
    } else {
      MatchWords(piece, pos);
    }
  }

 private:
  void MatchWords(size_t piece, size_t pos) {
    const std::string& text = pieces_[piece].text;
    size_t i = 0;
    size_t p = pos;
    for (;;) {
      const size_t i0 = i;
      const size_t p0 = p;
      while (i < text.size() && IsSpace(text[i])) ++i;
      while (p < typed_.size() && IsSpace(typed_[p])) ++p;
      if (p == typed_.size()) {
        // The line ends here: the rest of the words complete it, with the
        // blank before them unless the line ends with one.
        if (i < text.size()) found_->insert(typed_ + text.substr(p0 < p ? i : i0));
        return;
      }
      if (i == text.size()) return Match(piece + 1, p);
      if (Lower(text[i]) != Lower(typed_[p])) return;
      ++i;
      ++p;
    }
  }

  void MatchArgument(size_t piece, size_t pos) {
    size_t p = pos;
    while (p < typed_.size() && IsSpace(typed_[p])) ++p;
    int depth = 0;
    bool in_text = false;
    for (size_t e = p; e < typed_.size(); ++e) {
      if (e > p && !in_text && depth == 0 && !IsSpace(typed_[e - 1])) Match(piece + 1, e);
      const char c = typed_[e];
      if (in_text) {
        if (c == '\\') {
          ++e;
        } else if (c == '"') {
          in_text = false;
        }
      } else if (c == '"') {
        in_text = true;
      } else if (IsLetter(c) && (e == p || !IsNameChar(typed_[e - 1]))) {
        // Outside quotes a word is an expression's name, right before its
        // parenthesis; any other word is not part of an argument.
        size_t end = e;
        while (end < typed_.size() && IsNameChar(typed_[end])) ++end;
        if (end == typed_.size() || typed_[end] != '(') return;
        e = end - 1;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth < 0) {
        return;
      }
    }
    // An argument that reaches the end of the line and looks whole: the
    // words after it follow.
    if (typed_.size() > p && !in_text && depth == 0) {
      const char last = typed_.back();
      if (last == '"' || last == ')' || IsDigit(last)) Match(piece + 1, typed_.size());
    }
  }

  const std::vector<Piece>& pieces_;
  const std::string& typed_;
  std::set<std::string>* found_;
  std::set<std::pair<size_t, size_t>> tried_;
};

// Where the quoted text that the line ends inside starts (its quote), or npos.
size_t OpenQuote(const std::string& typed) {
  size_t open = std::string::npos;
  for (size_t i = 0; i < typed.size(); ++i) {
    if (open != std::string::npos && typed[i] == '\\') {
      ++i;
    } else if (typed[i] == '"') {
      open = open == std::string::npos ? i : std::string::npos;
    }
  }
  return open;
}

std::string Escaped(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

void SessionCompleter::RememberCall(OperationKind kind, int code,
                                    const std::vector<ScriptExpr>& args) {
  const OperationDescription& info = language_.grammar().Info(kind, code);
  for (size_t i = 0; i < args.size(); ++i) {
    const ScriptExpr& arg = args[i];
    if (i < info.params.size() && NamesASet(kind, info.params[i]) &&
        arg.kind == ScriptExpr::Kind::kLiteral && arg.literal.IsText() &&
        !arg.literal.text.empty() && names_.size() < kMaxRememberedNames) {
      names_.insert(arg.literal.text);
    }
    RememberExpr(arg);
  }
}

void SessionCompleter::RememberExpr(const ScriptExpr& expr) {
  if (expr.kind == ScriptExpr::Kind::kCall) {
    RememberCall(OperationKind::kExpression, expr.code, expr.operands);
    return;
  }
  for (const ScriptExpr& e : expr.operands) RememberExpr(e);
}

void SessionCompleter::Remember(const ScriptStatement& statement) {
  switch (statement.kind) {
    case ScriptStatement::Kind::kAction:
      RememberCall(OperationKind::kAction, statement.code, statement.args);
      break;
    case ScriptStatement::Kind::kPrintCondition:
    case ScriptStatement::Kind::kIf:
    case ScriptStatement::Kind::kOnEvent:
      RememberCall(OperationKind::kCondition, statement.code, statement.args);
      break;
    case ScriptStatement::Kind::kPrintExpression:
    case ScriptStatement::Kind::kRepeat:
      RememberExpr(statement.expr);
      break;
    case ScriptStatement::Kind::kPrintListObject:
    case ScriptStatement::Kind::kSetListObject:
      for (const ScriptExpr& e : statement.args) RememberExpr(e);
      break;
    case ScriptStatement::Kind::kPlot:
      RememberExpr(statement.name);
      break;
    case ScriptStatement::Kind::kTime:
      break;  // its statement is in the body
    case ScriptStatement::Kind::kQuit:
    case ScriptStatement::Kind::kSets:
    case ScriptStatement::Kind::kEval:
    case ScriptStatement::Kind::kSave:
    case ScriptStatement::Kind::kLoad:
      break;
  }
  for (const ScriptStatement& s : statement.body) Remember(s);
}

std::vector<std::string> SessionCompleter::Complete(const std::string& typed) const {
  std::vector<std::string> language = language_.Complete(typed);
  std::set<std::string> found(language.begin(), language.end());
  const size_t quote = OpenQuote(typed);
  if (quote != std::string::npos) {
    const std::string partial = typed.substr(quote + 1);
    for (const std::string& name : names_) {
      std::string escaped = Escaped(name);
      if (escaped.compare(0, partial.size(), partial) == 0) {
        found.insert(typed.substr(0, quote + 1) + escaped + "\"");
      }
    }
  } else if (typed.size() <= kMaxFormCompletionLine) {
    size_t lead = 0;
    while (lead < typed.size() && IsSpace(typed[lead])) ++lead;
    for (const OperationDescription& action :
         language_.description().operations[OperationKind::kAction]) {
      FormMatcher(Pieces(action.display), typed, &found).Match(0, lead);
    }
  }
  return std::vector<std::string>(found.begin(), found.end());
}

}  // namespace tallyra::script
