#include "tallyra/ScriptLanguage.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <utility>

#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptHelp.h"
#include "tallyra/ScriptParser.h"

namespace tallyra::script {

ScriptLanguage::ScriptLanguage(ObjectDescription description) : grammar_(std::move(description)) {}

ScriptLanguage::LineKind ScriptLanguage::ParseLine(const std::string& line,
                                                   ScriptStatement* statement,
                                                   std::vector<std::string>* warnings) const {
  // The comment starts at the first "#" outside quotes; in a text, a
  // backslash takes the next character with it.
  size_t end = 0;
  bool in_text = false;
  for (; end < line.size(); ++end) {
    const char c = line[end];
    if (in_text && c == '\\') {
      ++end;
    } else if (c == '"') {
      in_text = !in_text;
    } else if (c == '#' && !in_text) {
      break;
    }
  }
  const std::string code = line.substr(0, std::min(end, line.size()));
  const size_t nul = code.find('\0');
  if (nul != std::string::npos) {
    throw ScriptError(0, "a NUL byte at column " + std::to_string(nul + 1) +
                             ": a line, and a text in it, cannot hold one");
  }
  ScriptParser parser(grammar_, code, warnings);
  return parser.Parse(statement);
}

std::string ScriptLanguage::HelpText() const { return script::HelpText(grammar_); }

bool ScriptLanguage::Help(const std::string& topic, std::string* text) const {
  return HelpOn(grammar_, topic, text);
}

std::vector<std::string> ScriptLanguage::Complete(const std::string& typed) const {
  std::set<std::string> found;
  size_t lead = 0;
  while (lead < typed.size() && IsSpace(typed[lead])) ++lead;
  const std::string head = typed.substr(0, lead);
  const std::string line = typed.substr(lead);
  // Whole statements' first words: keywords and the words that start each action.
  std::vector<std::string> starts = {"print ", "repeat ",      "on ",  "end",   "action ",
                                     "time ",  "plot ",        "sets", "eval ", "save ",
                                     "load ",  "List object ", "help", "quit",  "exit"};
  for (const ScriptGrammar::Template& t : grammar_.action_templates()) {
    if (!t.usable) continue;
    std::string words;
    const std::string& s = grammar_.Info(t.kind, t.code).display;
    size_t pct = s.find('%');
    words = s.substr(0, pct);
    if (!words.empty()) starts.push_back(words);
  }
  for (const std::string& s : starts) {
    if (s.size() > line.size() && StartsWithText(s, line)) found.insert(head + s);
  }
  // The name being typed at the end of the line: an expression, or a
  // condition's first words after print or on.
  size_t name_start = line.size();
  while (name_start > 0 && IsNameChar(line[name_start - 1])) --name_start;
  bool in_text = false;
  for (size_t i = 0; i < name_start; ++i) {
    if (line[i] == '\\' && in_text) {
      ++i;
    } else if (line[i] == '"') {
      in_text = !in_text;
    }
  }
  // Right after print or on, what may follow them is offered with no letter typed.
  size_t keyword_end = 0;
  while (keyword_end < name_start && !IsSpace(line[keyword_end])) ++keyword_end;
  const std::string keyword = line.substr(0, keyword_end);
  const bool after_print = SameText(keyword, "print");
  bool after_keyword = (after_print || SameText(keyword, "on")) && keyword_end < name_start;
  for (size_t i = keyword_end; i < name_start; ++i)
    after_keyword = after_keyword && IsSpace(line[i]);
  if (!in_text && ((name_start < line.size() && IsLetter(line[name_start]) &&
                    (name_start == 0 || !IsDigit(line[name_start - 1]))) ||
                   after_keyword)) {
    const std::string before = typed.substr(0, lead + name_start);
    const std::string name = line.substr(name_start);
    for (const OperationDescription& e : description().operations[OperationKind::kExpression]) {
      if (StartsWithText(e.display, name)) found.insert(before + e.display);
    }
    if (after_keyword && after_print && StartsWithText("List object ", name)) {
      found.insert(before + "List object ");
    }
    for (const OperationDescription& c : description().operations[OperationKind::kCondition]) {
      std::string form = grammar_.FormOf(OperationKind::kCondition, c.code);
      if (c.params.empty() && StartsWithText(form, name)) found.insert(before + form);
    }
  }
  return std::vector<std::string>(found.begin(), found.end());
}

}  // namespace tallyra::script
