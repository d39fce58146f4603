#include "tallyra/MeantForm.h"

#include <utility>
#include <vector>

#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptHelp.h"
#include "tallyra/Suggest.h"

namespace tallyra::script {

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

std::string MeantForm(const ScriptGrammar& grammar, const std::string& line_text,
                      size_t failure_pos) {
  std::vector<std::vector<std::string>> shapes;
  std::vector<std::string> forms;
  for (const ScriptGrammar::Template& t : grammar.action_templates()) {
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
    forms.push_back(Quote(grammar.FormOf(t.kind, t.code)));
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
  const std::vector<ShapeToken> line = LineShape(line_text);
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
    const size_t differs = k < line.size() ? line[k].pos : line_text.size();
    if (differs < failure_pos || failure_pos == (line.empty() ? 0 : line[0].pos)) {
      return forms[i];
    }
    return std::string();
  }
  return std::string();
}

}  // namespace tallyra::script
