#include "tallyra/ScriptGrammar.h"

#include <cstddef>
#include <utility>

#include "tallyra/ScriptChars.h"

namespace tallyra::script {

namespace {

// A display string cut into words, marks and placeholders. "%o", the object
// placeholder, is dropped, with the blanks and colon after it when it leads.
ScriptGrammar::Template BuildTemplate(OperationKind kind, const OperationDescription& info) {
  ScriptGrammar::Template t;
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
      ScriptGrammar::Segment seg;
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
  for (const ScriptGrammar::Segment& seg : t.segments) {
    if (!seg.param) continue;
    if (seg.index >= static_cast<int>(seen.size()) || seen[seg.index]++ > 0) usable = false;
  }
  for (int n : seen) usable = usable && n == 1;
  // A template must start with a word of its own to be found.
  t.usable = usable && !t.segments.empty() &&
             (kind == OperationKind::kCondition || !t.segments.front().param);
  return t;
}

}  // namespace

ScriptGrammar::ScriptGrammar(ObjectDescription description) : description_(std::move(description)) {
  for (const OperationDescription& c : description_.operations[OperationKind::kCondition]) {
    conditions_.push_back(BuildTemplate(OperationKind::kCondition, c));
  }
  for (const OperationDescription& a : description_.operations[OperationKind::kAction]) {
    actions_.push_back(BuildTemplate(OperationKind::kAction, a));
  }
}

const OperationDescription& ScriptGrammar::Info(OperationKind kind, int code) const {
  return description_.operations[kind].at(static_cast<size_t>(code));
}

bool ScriptGrammar::IsRaisedCondition(int code) const {
  return code >= 0 &&
         code < static_cast<int>(description_.operations[OperationKind::kCondition].size()) &&
         description_.operations[OperationKind::kCondition][code].flags == 0;
}

std::string ScriptGrammar::FormOf(OperationKind kind, int code) const {
  const OperationDescription& info = Info(kind, code);
  if (kind == OperationKind::kExpression) {
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
  if (kind == OperationKind::kCondition && s.compare(0, 2, "%o") == 0) {
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

}  // namespace tallyra::script
