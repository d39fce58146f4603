#include "tallyra/ScriptLanguage.h"

#include <cstddef>
#include <set>
#include <utility>

#include "tallyra/ScriptError.h"

namespace {

// Expressions nest at most this deep on a line.
constexpr int kMaxExpressionDepth = 200;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
// Characters of a word in display strings and in lines. Bytes above 127 count
// as letters, so that texts in any 8-bit encoding match as words.
bool IsWordChar(char c) {
  return IsLetter(c) || IsDigit(c) || static_cast<unsigned char>(c) >= 0x80;
}
// Characters of an expression name ("asString$").
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '$'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool StartsWithText(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// A display string cut into words, marks and placeholders. "%o", the object
// placeholder, is dropped, with the blanks and colon after it when it leads.
ScriptLanguage::Template BuildTemplate(ScriptOpKind kind, const ScriptOpInfo& info) {
  ScriptLanguage::Template t;
  t.kind = kind;
  t.code = info.code;
  const std::string& s = info.display;
  size_t i = 0;
  auto literal = [&t]() -> std::vector<std::string>& {
    if (t.segments.empty() || t.segments.back().param) t.segments.emplace_back();
    return t.segments.back().tokens;
  };
  while (i < s.size()) {
    char c = s[i];
    if (c == '%' && i + 1 < s.size() && (s[i + 1] == 'o' || s[i + 1] == 'O')) {
      i += 2;
      if (t.segments.empty()) {
        while (i < s.size() && (IsSpace(s[i]) || s[i] == ':')) ++i;
      }
    } else if (c == '%' && i + 1 < s.size() && IsDigit(s[i + 1])) {
      ++i;
      int index = 0;
      while (i < s.size() && IsDigit(s[i]) && index < 1000) index = index * 10 + (s[i++] - '0');
      ScriptLanguage::Segment seg;
      seg.param = true;
      seg.index = index;
      t.segments.push_back(seg);
    } else if (IsSpace(c)) {
      ++i;
    } else if (IsWordChar(c)) {
      size_t start = i;
      while (i < s.size() && IsWordChar(s[i])) ++i;
      literal().push_back(s.substr(start, i - start));
    } else {
      literal().push_back(std::string(1, c));
      ++i;
    }
  }
  std::vector<int> seen(info.params.size(), 0);
  bool usable = true;
  for (const ScriptLanguage::Segment& seg : t.segments) {
    if (!seg.param) continue;
    if (seg.index >= static_cast<int>(seen.size()) || seen[seg.index]++ > 0) usable = false;
  }
  for (int n : seen) usable = usable && n == 1;
  // A template must start with a word of its own to be found.
  t.usable = usable && !t.segments.empty() &&
             (kind == ScriptOpKind::kCondition || !t.segments.front().param);
  return t;
}

// The furthest point that any alternative reached before it failed, and what
// was expected there. Alternatives that fail at the same point add to what
// was expected.
struct Failure {
  bool set = false;
  bool specific = false;  // says more than any general message for the line could
  size_t pos = 0;
  std::string expected;

  void Note(size_t p, const std::string& what) {
    if (!set || p > pos) {
      set = true;
      specific = false;
      pos = p;
      expected = what;
    } else if (p == pos && !specific && expected.find(what) == std::string::npos) {
      expected += " or " + what;
    }
  }
  // A note that wins over the others made at the same point.
  void NoteSpecific(size_t p, const std::string& what) {
    if (set && p < pos) return;
    set = true;
    specific = true;
    pos = p;
    expected = what;
  }
  // Whether a general message about the whole line says more than this.
  bool VagueAt(size_t start) const { return !set || (pos == start && !specific); }
};

}  // namespace

// Reads one line. Every Parse* member answers false after noting what it
// expected in failure_, so that the caller can try another reading; the
// furthest failure becomes the error.
class LineParser {
 public:
  LineParser(const ScriptLanguage& language, const std::string& line)
      : language_(language), line_(line) {}

  ScriptLanguage::LineKind Parse(ScriptStatement* statement);

 private:
  using Template = ScriptLanguage::Template;

  void SkipSpace() {
    while (pos_ < line_.size() && IsSpace(line_[pos_])) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= line_.size();
  }
  // Matches a word or a mark of a display string, letters in any case. A word
  // must not run on into a further letter or digit.
  bool MatchToken(const std::string& token) {
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
  // Matches words of the language (print, "List object").
  bool MatchWords(const std::vector<std::string>& words) {
    size_t start = pos_;
    for (const std::string& w : words) {
      if (!MatchToken(w)) {
        pos_ = start;
        return false;
      }
    }
    return true;
  }
  bool ExpectEnd() {
    if (AtEnd()) return true;
    failure_.Note(pos_, "the end of the line");
    return false;
  }

  bool ParseText(ScriptExpr* out);
  bool ParseNumber(ScriptExpr* out);
  bool ParseAtom(const std::string& what, ScriptExpr* out);
  bool ParseCall(const std::string& what, ScriptExpr* out);
  bool ParseUnary(ScriptExpr* out);
  // With lenient set, an operator whose right side does not read as a number
  // is left for the words that follow (a placeholder in "%1-subset").
  bool ParseTerm(ScriptExpr* out, bool lenient = false);
  bool ParseExpression(ScriptExpr* out, bool lenient = false);
  bool ParseNumberExpression(const std::string& what, ScriptExpr* out);

  bool MatchTemplate(const Template& t, size_t skipTokens, std::vector<ScriptExpr>* args);
  // Matches the rest of the line against the templates; the first one whose
  // parameter types the arguments fit wins. Throws on a type mismatch when
  // some template matched but none fits.
  bool MatchOperation(const std::vector<Template>& templates, bool allowOnShorthand, int* code,
                      std::vector<ScriptExpr>* args);
  std::string ArgumentWhat(ScriptOpKind kind, int code, int index) const;

  bool ParsePrint(ScriptStatement* statement);
  bool ParseListObject(ScriptStatement* statement);
  bool ParseCanonicalAction(ScriptStatement* statement);

  [[noreturn]] void Fail();
  // Fails at once with this expectation: no other reading of the line can
  // get past what was found (a text without its closing quote, anything
  // wrong inside the parentheses of a call).
  [[noreturn]] void FailNow(size_t pos, const std::string& what) {
    failure_ = Failure();
    failure_.Note(pos, what);
    Fail();
  }

  const ScriptLanguage& language_;
  const std::string& line_;
  // Guards the recursion of nested parentheses, calls and minus signs.
  struct Nesting {
    explicit Nesting(int* depth) : depth_(depth) { ++*depth_; }
    ~Nesting() { --*depth_; }
    int* depth_;
  };
  bool TooDeep() {
    if (depth_ <= kMaxExpressionDepth) return false;
    failure_ = Failure();
    failure_.Note(pos_, "at most " + std::to_string(kMaxExpressionDepth) +
                            " expressions, parentheses and signs inside each other");
    return true;
  }

  size_t pos_ = 0;
  int depth_ = 0;
  Failure failure_;
};

void LineParser::Fail() {
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
  throw ScriptError(0, message);
}

bool LineParser::ParseText(ScriptExpr* out) {
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

bool LineParser::ParseNumber(ScriptExpr* out) {
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

bool LineParser::ParseCall(const std::string& what, ScriptExpr* out) {
  size_t start = pos_;
  while (pos_ < line_.size() && IsNameChar(line_[pos_])) ++pos_;
  std::string name = line_.substr(start, pos_ - start);
  SkipSpace();
  if (pos_ >= line_.size() || line_[pos_] != '(') {
    failure_.Note(start, what);
    pos_ = start;
    return false;
  }
  const std::vector<ScriptOpInfo>& expressions = language_.description_.expressions;
  const ScriptOpInfo* found = nullptr;
  for (const ScriptOpInfo& e : expressions) {
    std::string written = e.display;
    if (!written.empty() && written.back() == '(') written.pop_back();
    if (SameText(written, name)) {
      found = &e;
      break;
    }
  }
  if (found == nullptr) {
    std::string names;
    for (const ScriptOpInfo& e : expressions) names += (names.empty() ? "" : ", ") + e.display;
    // Another reading of the line may still take the name as its own word.
    failure_.NoteSpecific(start, "an expression (" + names + ")");
    pos_ = start;
    return false;
  }
  ++pos_;  // "("
  out->kind = ScriptExpr::Kind::kCall;
  out->code = found->code;
  out->text = (found->flags & kExprResultText) != 0;
  out->operands.clear();
  const size_t count = found->params.size();
  SkipSpace();
  if (pos_ < line_.size() && line_[pos_] == ')' && count == 0) {
    ++pos_;
    return true;
  }
  for (size_t i = 0; i < count; ++i) {
    const ScriptParam& p = found->params[i];
    std::string argWhat = ArgumentWhat(ScriptOpKind::kExpression, found->code, static_cast<int>(i));
    SkipSpace();
    size_t argStart = pos_;
    ScriptExpr arg;
    if (!ParseExpression(&arg)) {
      failure_.Note(argStart, argWhat);
      Fail();
    }
    if (arg.text != ParameterTakesText(ScriptOpKind::kExpression, p.type)) {
      FailNow(argStart, argWhat);
    }
    out->operands.push_back(std::move(arg));
    SkipSpace();
    const bool last = i + 1 == count;
    const char wanted = last ? ')' : ',';
    if (pos_ >= line_.size() || line_[pos_] != wanted) {
      if (last) {
        failure_.Note(pos_, "\")\" after the last argument of " + found->display);
      } else {
        failure_.Note(pos_, "\",\" and " + ArgumentWhat(ScriptOpKind::kExpression, found->code,
                                                        static_cast<int>(i + 1)));
      }
      Fail();
    }
    ++pos_;
  }
  if (count == 0) FailNow(pos_, "\")\": " + found->display + " takes no arguments");
  return true;
}

bool LineParser::ParseAtom(const std::string& what, ScriptExpr* out) {
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

bool LineParser::ParseUnary(ScriptExpr* out) {
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
    if (operand.text) FailNow(start, "a number after \"-\"");
    out->kind = ScriptExpr::Kind::kNegate;
    out->text = false;
    out->operands.clear();
    out->operands.push_back(std::move(operand));
    return true;
  }
  return ParseAtom("a text, a number, an expression or \"(\"", out);
}

bool LineParser::ParseTerm(ScriptExpr* out, bool lenient) {
  SkipSpace();
  size_t start = pos_;
  if (!ParseUnary(out)) return false;
  for (;;) {
    SkipSpace();
    if (pos_ >= line_.size() || line_[pos_] != '*') return true;
    if (out->text) {
      if (lenient) return true;
      FailNow(start, "a number before \"*\"");
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
      return true;
    }
    if (operand.text) FailNow(right, "a number after \"*\"");
    ScriptExpr product;
    product.kind = ScriptExpr::Kind::kMultiply;
    product.operands.push_back(std::move(*out));
    product.operands.push_back(std::move(operand));
    *out = std::move(product);
  }
}

bool LineParser::ParseExpression(ScriptExpr* out, bool lenient) {
  SkipSpace();
  size_t start = pos_;
  if (!ParseTerm(out, lenient)) return false;
  for (;;) {
    SkipSpace();
    if (pos_ >= line_.size() || (line_[pos_] != '+' && line_[pos_] != '-')) return true;
    const char op = line_[pos_];
    if (out->text) {
      if (lenient) return true;
      FailNow(start, std::string("a number before \"") + op + "\"");
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
      return true;
    }
    if (operand.text) FailNow(right, std::string("a number after \"") + op + "\"");
    ScriptExpr sum;
    sum.kind = op == '+' ? ScriptExpr::Kind::kAdd : ScriptExpr::Kind::kSubtract;
    sum.operands.push_back(std::move(*out));
    sum.operands.push_back(std::move(operand));
    *out = std::move(sum);
  }
}

bool LineParser::ParseNumberExpression(const std::string& what, ScriptExpr* out) {
  SkipSpace();
  size_t start = pos_;
  if (!ParseExpression(out)) return false;
  if (out->text) {
    failure_.Note(start, what);
    return false;
  }
  return true;
}

std::string LineParser::ArgumentWhat(ScriptOpKind kind, int code, int index) const {
  const ScriptOpInfo& info = language_.Info(kind, code);
  if (index < 0 || index >= static_cast<int>(info.params.size())) return "an argument";
  const ScriptParam& p = info.params[index];
  std::string what = ParameterTakesText(kind, p.type) ? "a text" : "a number";
  if (!p.title.empty()) what += " for " + Quote(p.title);
  if (kind == ScriptOpKind::kExpression) what += " of " + info.display;
  return what;
}

bool LineParser::MatchTemplate(const Template& t, size_t skipTokens,
                               std::vector<ScriptExpr>* args) {
  const ScriptOpInfo& info = language_.Info(t.kind, t.code);
  args->assign(info.params.size(), ScriptExpr());
  for (const ScriptLanguage::Segment& seg : t.segments) {
    if (seg.param) {
      SkipSpace();
      const size_t argStart = pos_;
      const Failure before = failure_;
      if (!ParseExpression(&(*args)[seg.index], true)) {
        // Nothing of an argument here: say which argument was expected.
        if (failure_.pos == argStart && !failure_.specific) failure_ = before;
        failure_.Note(argStart, ArgumentWhat(t.kind, t.code, seg.index));
        return false;
      }
      continue;
    }
    for (size_t i = skipTokens; i < seg.tokens.size(); ++i) {
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
    skipTokens = 0;
  }
  return ExpectEnd();
}

bool LineParser::MatchOperation(const std::vector<Template>& templates, bool allowOnShorthand,
                                int* code, std::vector<ScriptExpr>* args) {
  const size_t start = pos_;
  const Template* mismatched =
      nullptr;  // of the templates whose words match, the one that the arguments miss least
  std::vector<ScriptExpr> mismatchedArgs;
  size_t fewestWrong = 0;
  for (int pass = 0; pass < (allowOnShorthand ? 2 : 1); ++pass) {
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
      const ScriptOpInfo& info = language_.Info(t.kind, t.code);
      size_t wrong = 0;
      for (size_t i = 0; i < found.size(); ++i) {
        wrong += found[i].text != ParameterTakesText(t.kind, info.params[i].type);
      }
      if (wrong == 0) {
        *code = t.code;
        *args = std::move(found);
        return true;
      }
      if (mismatched == nullptr || wrong < fewestWrong) {
        mismatched = &t;
        mismatchedArgs = std::move(found);
        fewestWrong = wrong;
      }
    }
  }
  pos_ = start;
  if (mismatched == nullptr) return false;
  // The words fit but the arguments' types do not: say which.
  const ScriptOpInfo& info = language_.Info(mismatched->kind, mismatched->code);
  std::string message = "wrong argument types for " + Quote(info.display) + ":";
  bool first = true;
  for (size_t i = 0; i < mismatchedArgs.size(); ++i) {
    bool wantText = ParameterTakesText(mismatched->kind, info.params[i].type);
    if (mismatchedArgs[i].text == wantText) continue;
    message += std::string(first ? "" : ";") + " %" + std::to_string(i) + " (" +
               Quote(info.params[i].title) + ") takes " + (wantText ? "a text" : "a number") +
               ", found " + (mismatchedArgs[i].text ? "a text" : "a number");
    first = false;
  }
  // Say so when another operation shares the display string.
  for (const Template& t : templates) {
    const ScriptOpInfo& other = language_.Info(t.kind, t.code);
    if (&t != mismatched && other.display == info.display) {
      message += " (the same words with other types name " +
                 std::string(t.kind == ScriptOpKind::kAction ? "action " : "condition ") +
                 std::to_string(t.code) + ": " + language_.FormOf(t.kind, t.code) + ")";
    }
  }
  throw ScriptError(0, message);
}

bool LineParser::ParsePrint(ScriptStatement* statement) {
  SkipSpace();
  const size_t start = pos_;
  if (MatchWords({"List", "object"})) {
    statement->kind = ScriptStatement::Kind::kPrintListObject;
    SkipSpace();
    size_t nameStart = pos_;
    if (!ParseAtom("the List object's name, a text", &statement->name)) Fail();
    if (!statement->name.text) {
      failure_.Note(nameStart, "the List object's name, a text");
      Fail();
    }
    if (!ExpectEnd()) Fail();
    return true;
  }
  if (MatchOperation(language_.conditions_, false, &statement->code, &statement->args)) {
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
    failure_.Note(start, "an expression, a condition or List object after print");
  }
  Fail();
}

bool LineParser::ParseListObject(ScriptStatement* statement) {
  statement->kind = ScriptStatement::Kind::kSetListObject;
  SkipSpace();
  size_t nameStart = pos_;
  if (!ParseAtom("the List object's name, a text", &statement->name)) Fail();
  if (!statement->name.text) {
    failure_.Note(nameStart, "the List object's name, a text");
    Fail();
  }
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

bool LineParser::ParseCanonicalAction(ScriptStatement* statement) {
  statement->kind = ScriptStatement::Kind::kAction;
  const std::vector<ScriptOpInfo>& actions = language_.description_.actions;
  const std::string codes = "an action code from 0 to " + std::to_string(actions.size() - 1);
  SkipSpace();
  size_t codeStart = pos_;
  ScriptExpr code;
  if (actions.empty() || !ParseNumber(&code) || code.literal.kind != ScriptValue::Kind::kInteger ||
      code.literal.integer < 0 || code.literal.integer >= static_cast<int32_t>(actions.size())) {
    failure_ = Failure();
    failure_.Note(codeStart, codes);
    Fail();
  }
  statement->code = code.literal.integer;
  const ScriptOpInfo& info = actions[statement->code];
  for (size_t i = 0; i < info.params.size(); ++i) {
    std::string what = ArgumentWhat(ScriptOpKind::kAction, info.code, static_cast<int>(i));
    SkipSpace();
    size_t argStart = pos_;
    if (i > 0 && argStart > 0 && !IsSpace(line_[argStart - 1]) && argStart < line_.size()) {
      failure_.Note(argStart, "a blank before the next argument");
      Fail();
    }
    ScriptExpr arg;
    if (!ParseAtom(what, &arg)) Fail();
    if (arg.text != ParameterTakesText(ScriptOpKind::kAction, info.params[i].type)) {
      failure_.Note(argStart, what);
      Fail();
    }
    statement->args.push_back(std::move(arg));
  }
  if (!AtEnd()) {
    failure_.Note(pos_, "the end of the line: action " + std::to_string(info.code) + " takes " +
                            std::to_string(info.params.size()) + " argument" +
                            (info.params.size() == 1 ? "" : "s"));
    Fail();
  }
  return true;
}

ScriptLanguage::LineKind LineParser::Parse(ScriptStatement* statement) {
  using LineKind = ScriptLanguage::LineKind;
  *statement = ScriptStatement();
  SkipSpace();
  if (pos_ >= line_.size() || line_[pos_] == '#') return LineKind::kNothing;
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
    const size_t condStart = pos_;
    if (!MatchOperation(language_.conditions_, true, &statement->code, &statement->args)) {
      if (failure_.VagueAt(condStart)) {
        failure_ = Failure();
        std::string forms;
        for (const ScriptOpInfo& c : language_.description_.conditions) {
          forms += (forms.empty() ? "" : ", ") + language_.FormOf(ScriptOpKind::kCondition, c.code);
        }
        failure_.Note(condStart, "a condition after on (" + forms + ")");
      }
      Fail();
    }
    statement->kind = language_.IsRaisedCondition(statement->code) ? ScriptStatement::Kind::kOnEvent
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
  if (MatchWords({"List", "object"})) {
    ParseListObject(statement);
    return LineKind::kStatement;
  }
  pos_ = start;
  statement->kind = ScriptStatement::Kind::kAction;
  if (MatchOperation(language_.actions_, false, &statement->code, &statement->args)) {
    return LineKind::kStatement;
  }
  if (failure_.VagueAt(start)) {
    failure_ = Failure();
    failure_.Note(
        start, "an action, print, repeat, on, end, List object or action CODE (help lists them)");
  }
  Fail();
}

ScriptLanguage::ScriptLanguage(ObjectDescription description)
    : description_(std::move(description)) {
  for (const ScriptOpInfo& c : description_.conditions) {
    conditions_.push_back(BuildTemplate(ScriptOpKind::kCondition, c));
  }
  for (const ScriptOpInfo& a : description_.actions) {
    actions_.push_back(BuildTemplate(ScriptOpKind::kAction, a));
  }
}

ScriptLanguage::LineKind ScriptLanguage::ParseLine(const std::string& line,
                                                   ScriptStatement* statement) const {
  LineParser parser(*this, line);
  return parser.Parse(statement);
}

const std::vector<ScriptOpInfo>& ScriptLanguage::Operations(ScriptOpKind kind) const {
  switch (kind) {
    case ScriptOpKind::kCondition:
      return description_.conditions;
    case ScriptOpKind::kAction:
      return description_.actions;
    case ScriptOpKind::kExpression:
      break;
  }
  return description_.expressions;
}

const ScriptOpInfo& ScriptLanguage::Info(ScriptOpKind kind, int code) const {
  return Operations(kind).at(static_cast<size_t>(code));
}

bool ScriptLanguage::IsRaisedCondition(int code) const {
  return code >= 0 && code < static_cast<int>(description_.conditions.size()) &&
         description_.conditions[code].flags == 0;
}

std::string ScriptLanguage::FormOf(ScriptOpKind kind, int code) const {
  const ScriptOpInfo& info = Info(kind, code);
  if (kind == ScriptOpKind::kExpression) {
    std::string form = info.display;
    if (form.empty() || form.back() != '(') form += '(';
    for (size_t i = 0; i < info.params.size(); ++i) {
      form += (i == 0 ? "<" : ", <") + info.params[i].title + ">";
    }
    return form + ")";
  }
  std::string form;
  const std::string& s = info.display;
  size_t i = 0;
  if (kind == ScriptOpKind::kCondition && s.compare(0, 2, "%o") == 0) {
    i = 2;
    while (i < s.size() && (IsSpace(s[i]) || s[i] == ':')) ++i;
  }
  while (i < s.size()) {
    if (s[i] == '%' && i + 1 < s.size() && IsDigit(s[i + 1])) {
      size_t k = i + 1;
      size_t index = 0;
      while (k < s.size() && IsDigit(s[k]) && index < 1000) index = index * 10 + (s[k++] - '0');
      form +=
          index < info.params.size() ? "<" + info.params[index].title + ">" : s.substr(i, k - i);
      i = k;
    } else {
      form += s[i++];
    }
  }
  return form;
}

std::string ScriptLanguage::HelpText() const {
  std::string h;
  h += "Statements (one a line; blank lines and lines starting with # are skipped):\n";
  h += "  ACTION                         run an action, written as shown below\n";
  h +=
      "  action CODE ARG ARG ...        run an action by its code, arguments separated by blanks\n";
  h += "  print EXPRESSION               print a value (+ - * and parentheses work on numbers)\n";
  h += "  print CONDITION                print true or false\n";
  h += "  print List object \"NAME\"       print a List object's items as [a, b]\n";
  h += "  List object \"NAME\" holds \"a\", \"b\"   make a List object (or: holds nothing)\n";
  h += "  repeat N ... end               run the lines between N times\n";
  h += "  on CONDITION ... end           run the lines between when the condition holds\n";
  h += "  help, quit                     (interactive only)\n";
  h += "An argument is a \"text\" (\\\" and \\\\ escape), a number (-2, 2.5) or an expression,\n";
  h += "with + - * and parentheses on numbers; action CODE takes them in parentheses.\n";
  h += "\nActions:\n";
  for (const ScriptOpInfo& a : description_.actions) {
    h += "  " + std::to_string(a.code) + (a.code < 10 ? "   " : "  ") +
         FormOf(ScriptOpKind::kAction, a.code) + "\n";
  }
  h += "\nConditions:\n";
  for (const ScriptOpInfo& c : description_.conditions) {
    h += "  " + FormOf(ScriptOpKind::kCondition, c.code) +
         (IsRaisedCondition(c.code) ? "   (raised by the object: on blocks wait for it)" : "") +
         "\n";
  }
  h += "\nExpressions:\n";
  for (const ScriptOpInfo& e : description_.expressions) {
    h += "  " + FormOf(ScriptOpKind::kExpression, e.code) + "\n";
  }
  return h;
}

std::vector<std::string> ScriptLanguage::Complete(const std::string& typed) const {
  std::set<std::string> found;
  size_t lead = 0;
  while (lead < typed.size() && IsSpace(typed[lead])) ++lead;
  const std::string head = typed.substr(0, lead);
  const std::string line = typed.substr(lead);
  // Whole statements' first words: keywords and the words that start each action.
  std::vector<std::string> starts = {"print ",  "repeat ",      "on ",  "end",
                                     "action ", "List object ", "help", "quit"};
  for (const Template& t : actions_) {
    if (!t.usable) continue;
    std::string words;
    const std::string& s = Info(t.kind, t.code).display;
    size_t pct = s.find('%');
    words = s.substr(0, pct);
    if (!words.empty()) starts.push_back(words);
  }
  for (const std::string& s : starts) {
    if (s.size() > line.size() && StartsWithText(s, line)) found.insert(head + s);
  }
  // The name being typed at the end of the line: an expression, or a
  // condition's first words after print or on.
  size_t nameStart = line.size();
  while (nameStart > 0 && IsNameChar(line[nameStart - 1])) --nameStart;
  bool inText = false;
  for (size_t i = 0; i < nameStart; ++i) {
    if (line[i] == '\\' && inText) {
      ++i;
    } else if (line[i] == '"') {
      inText = !inText;
    }
  }
  if (!inText && nameStart < line.size() && IsLetter(line[nameStart]) &&
      (nameStart == 0 || !IsDigit(line[nameStart - 1]))) {
    const std::string before = typed.substr(0, lead + nameStart);
    const std::string name = line.substr(nameStart);
    for (const ScriptOpInfo& e : description_.expressions) {
      if (StartsWithText(e.display, name)) found.insert(before + e.display);
    }
    for (const ScriptOpInfo& c : description_.conditions) {
      std::string form = FormOf(ScriptOpKind::kCondition, c.code);
      if (c.params.empty() && StartsWithText(form, name)) found.insert(before + form);
    }
  }
  return std::vector<std::string>(found.begin(), found.end());
}
