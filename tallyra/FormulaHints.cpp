#include "tallyra/FormulaHints.h"

#include <cstddef>
#include <vector>

#include "tallyra/ScriptChars.h"

namespace tallyra::script {

namespace {

// The functions of the formula language, as they must be written.
const char* const kFunctions[] = {"sin",  "cos",  "tan",   "asin",  "acos",  "atan", "sinh",
                                  "cosh", "tanh", "asinh", "acosh", "atanh", "log2", "log10",
                                  "log",  "ln",   "exp",   "sqrt",  "abs",   "sign", "rint",
                                  "mod",  "if",   "sum",   "avg",   "min",   "max"};

// The operand that ends just before position end (a name, a number or a
// parenthesised group), or that starts at begin.
std::string OperandBefore(const std::string& f, size_t end) {
  size_t e = end;
  while (e > 0 && IsSpace(f[e - 1])) --e;
  size_t b = e;
  if (b > 0 && f[b - 1] == ')') {
    int depth = 0;
    while (b > 0) {
      --b;
      if (f[b] == ')') ++depth;
      if (f[b] == '(' && --depth == 0) break;
    }
    while (b > 0 && IsNameChar(f[b - 1])) --b;
  } else {
    while (b > 0 && (IsWordChar(f[b - 1]) || f[b - 1] == '.')) --b;
  }
  return f.substr(b, e - b);
}

std::string OperandAfter(const std::string& f, size_t begin) {
  size_t b = begin;
  while (b < f.size() && IsSpace(f[b])) ++b;
  size_t e = b;
  while (e < f.size() && (IsWordChar(f[e]) || f[e] == '.')) ++e;
  if (e < f.size() && f[e] == '(') {
    int depth = 0;
    for (; e < f.size(); ++e) {
      if (f[e] == '(') ++depth;
      if (f[e] == ')' && --depth == 0) {
        ++e;
        break;
      }
    }
  }
  return f.substr(b, e - b);
}

void FixName(const std::string& word, std::vector<std::string>* fixes) {
  if (word == "pi" || word == "PI" || word == "Pi") {
    fixes->push_back("write _pi for " + word);
  } else if (word == "E") {
    fixes->push_back("write _e for E");
  } else if (SameText(word, "floor")) {
    fixes->push_back("the language has no floor: write rint(v - 0.5) for floor(v)");
  } else if (SameText(word, "round")) {
    fixes->push_back("write rint for " + word);
  } else if (SameText(word, "pow")) {
    fixes->push_back("write a^b for pow(a, b)");
  } else {
    for (const char* f : kFunctions) {
      if (word != f && SameText(word, f)) {
        fixes->push_back(std::string("write ") + f + " for " + word +
                         " (names are case-sensitive)");
        return;
      }
    }
  }
}

}  // namespace

std::string FormulaFixes(const std::string& f) {
  std::vector<std::string> fixes;
  for (size_t i = 0; i < f.size();) {
    const char c = f[i];
    if (IsLetter(c)) {
      size_t e = i;
      while (e < f.size() && IsWordChar(f[e])) ++e;
      FixName(f.substr(i, e - i), &fixes);
      i = e;
    } else if (IsDigit(c)) {
      while (i < f.size() && (IsWordChar(f[i]) || f[i] == '.')) ++i;
    } else if (c == '%') {
      fixes.push_back("write mod(" + OperandBefore(f, i) + ", " + OperandAfter(f, i + 1) +
                      ") for " + OperandBefore(f, i) + " % " + OperandAfter(f, i + 1));
      ++i;
    } else if (f.compare(i, 2, "**") == 0) {
      fixes.push_back("write ^ for **");
      i += 2;
    } else if (f.compare(i, 2, "=>") == 0 || f.compare(i, 2, "=<") == 0) {
      fixes.push_back(std::string("write ") + f[i + 1] + "= for " + f.substr(i, 2));
      i += 2;
    } else if (f.compare(i, 2, "<>") == 0) {
      fixes.push_back("write != for <>");
      i += 2;
    } else {
      ++i;
    }
  }
  std::string text;
  for (const std::string& fix : fixes) text += (text.empty() ? "" : "; ") + fix;
  return text;
}

std::string FormulaAssignment(const std::string& f) {
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '=') continue;
    const char before = i > 0 ? f[i - 1] : ' ';
    const char after = i + 1 < f.size() ? f[i + 1] : ' ';
    if (before == '=' || before == '<' || before == '>' || before == '!' || after == '=' ||
        after == '>' || after == '<') {
      if (after == '=') ++i;  // "==" is one operator
      continue;
    }
    return OperandBefore(f, i) + " = " + OperandAfter(f, i + 1);
  }
  return std::string();
}

}  // namespace tallyra::script
