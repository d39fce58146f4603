#include "tallyra/ScriptLanguage.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <utility>

#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptParser.h"

using namespace scriptchars;

namespace {

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

}  // namespace

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
                                                   ScriptStatement* statement,
                                                   std::vector<std::string>* warnings) const {
  // The comment starts at the first "#" outside quotes; in a text, a
  // backslash takes the next character with it.
  size_t end = 0;
  bool inText = false;
  for (; end < line.size(); ++end) {
    const char c = line[end];
    if (inText && c == '\\') {
      ++end;
    } else if (c == '"') {
      inText = !inText;
    } else if (c == '#' && !inText) {
      break;
    }
  }
  const std::string code = line.substr(0, std::min(end, line.size()));
  const size_t nul = code.find('\0');
  if (nul != std::string::npos) {
    throw ScriptError(0, "a NUL byte at column " + std::to_string(nul + 1) +
                             ": a line, and a text in it, cannot hold one");
  }
  ScriptParser parser(*this, code, warnings);
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
  h += "Statements (one a line; blank lines are skipped, and # outside quotes starts a comment):\n";
  h += "  ACTION                         run an action, written as shown below\n";
  h +=
      "  action CODE ARG ARG ...        run an action by its code, arguments separated by blanks\n";
  h += "  print EXPRESSION               print a value (+ - * and parentheses work on numbers)\n";
  h += "  print CONDITION                print true or false\n";
  h += "  print List object \"NAME\"       print a List object's items as [a, b]\n";
  h += "  List object \"NAME\" holds \"a\", \"b\"   make a List object (or: holds nothing)\n";
  h += "  repeat N ... end               run the lines between N times\n";
  h += "  on CONDITION ... end           run the lines between when the condition holds\n";
  h += "  time STATEMENT                 run one statement and print how long it took\n";
  h += "  plot \"NAME\" N                  draw the first N elements of a list as a chart\n";
  h += "  help [TOPIC]                   this text, or one topic (help topics lists them)\n";
  h += "  quit, exit                     end an interactive session\n";
  h += "An argument is a \"text\" (\\\" and \\\\ escape), a number (-2, 2.5) or an expression,\n";
  h += "with + - * and parentheses on numbers; action CODE takes them in parentheses.\n";
  h += "The object reads every number argument as an integer: 2.5 is taken as 2.\n";
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
  std::vector<std::string> starts = {"print ",       "repeat ", "on ",  "end", "action ",
                                     "List object ", "help",    "quit", "exit"};
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
  // Right after print or on, what may follow them is offered with no letter typed.
  size_t keywordEnd = 0;
  while (keywordEnd < nameStart && !IsSpace(line[keywordEnd])) ++keywordEnd;
  const std::string keyword = line.substr(0, keywordEnd);
  const bool afterPrint = SameText(keyword, "print");
  bool afterKeyword = (afterPrint || SameText(keyword, "on")) && keywordEnd < nameStart;
  for (size_t i = keywordEnd; i < nameStart; ++i) afterKeyword = afterKeyword && IsSpace(line[i]);
  if (!inText && ((nameStart < line.size() && IsLetter(line[nameStart]) &&
                   (nameStart == 0 || !IsDigit(line[nameStart - 1]))) ||
                  afterKeyword)) {
    const std::string before = typed.substr(0, lead + nameStart);
    const std::string name = line.substr(nameStart);
    for (const ScriptOpInfo& e : description_.expressions) {
      if (StartsWithText(e.display, name)) found.insert(before + e.display);
    }
    if (afterKeyword && afterPrint && StartsWithText("List object ", name)) {
      found.insert(before + "List object ");
    }
    for (const ScriptOpInfo& c : description_.conditions) {
      std::string form = FormOf(ScriptOpKind::kCondition, c.code);
      if (c.params.empty() && StartsWithText(form, name)) found.insert(before + form);
    }
  }
  return std::vector<std::string>(found.begin(), found.end());
}
