// ScriptParser: reads one line of a script against the grammar built from
// the object's description (ScriptGrammar). Every Parse* member answers
// false after noting what it expected, so that another reading of the line
// can be tried; the reading that got furthest names what was expected when
// none succeeds, and a ScriptError (line 0) carries it out.
//
// One parser reads one line, once.
#ifndef TALLYRA_TALLYRA_SCRIPTPARSER_H_
#define TALLYRA_TALLYRA_SCRIPTPARSER_H_

#include <cstddef>
#include <string>
#include <vector>

#include "abi/ObjectDescription.h"
#include "tallyra/ScriptGrammar.h"
#include "tallyra/ScriptSyntax.h"

namespace tallyra::script {

// Expressions nest at most this deep on a line.
constexpr int kMaxExpressionDepth = 200;

class ScriptParser {
 public:
  // Borrows both; they must outlive the parser.
  // Warnings about a line that reads (a formula that cannot be read, a
  // fraction where the object reads an integer) are added to *warnings when
  // it is not null.
  ScriptParser(const ScriptGrammar& grammar, const std::string& line,
               std::vector<std::string>* warnings = nullptr)
      : grammar_(grammar), line_(line), warnings_(warnings) {}

  ScriptLineKind Parse(ScriptStatement* statement);

 private:
  using Template = ScriptGrammar::Template;
  using LineKind = ScriptLineKind;

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

  void SkipSpace();
  bool AtEnd();
  // Matches a word or a mark of a display string, letters in any case. A word
  // must not run on into a further letter or digit.
  bool MatchToken(const std::string& token);
  // Matches words of the language (print, "List object").
  bool MatchWords(const std::vector<std::string>& words);
  bool ExpectEnd();

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

  bool MatchTemplate(const Template& t, size_t skip_tokens, std::vector<ScriptExpr>* args);
  // Matches the rest of the line against the templates; the first one whose
  // parameter types the arguments fit wins. Throws on a type mismatch when
  // some template matched but none fits.
  bool MatchOperation(const std::vector<Template>& templates, bool allow_on_shorthand, int* code,
                      std::vector<ScriptExpr>* args);
  std::string ArgumentWhat(OperationKind kind, int code, int index) const;

  // Warns of arguments that the object will not take as written: a literal
  // number with a fraction (every number that the object reads, it reads as
  // an integer) and a literal formula that the formula language cannot read.
  void CheckArguments(OperationKind kind, int code, const std::vector<ScriptExpr>& args);
  void CheckExpression(const ScriptExpr& expr);
  void CheckStatement(const ScriptStatement& statement);
  void Warn(const std::string& message);
  LineKind ParseStatement(ScriptStatement* statement);

  bool ParsePrint(ScriptStatement* statement);
  bool ParseListObject(ScriptStatement* statement);
  bool ParseCanonicalAction(ScriptStatement* statement);
  void ParsePlot(ScriptStatement* statement);
  void ParseEval(ScriptStatement* statement);
  // save [List object] NAME to FILE, or load FILE into [List object] NAME.
  void ParseTransfer(ScriptStatement* statement, bool save);
  // A text or an expression that gives one; fails the line otherwise.
  void ParseTextArgument(const std::string& what, ScriptExpr* out);
  // The line from start as an expression to print; false, with the failure
  // as it was, when it is none.
  bool ParseBareExpression(size_t start, ScriptStatement* statement);
  // The form of the action or statement that the line is closest to, quoted;
  // empty when none is close.
  std::string MeantForm() const;

  [[noreturn]] void Fail();
  // Fails at once with this expectation: no other reading of the line can
  // get past what was found (a text without its closing quote, anything
  // wrong inside the parentheses of a call).
  [[noreturn]] void FailNow(size_t pos, const std::string& what);

  const ScriptGrammar& grammar_;
  const std::string& line_;
  // Guards the recursion of nested parentheses, calls and minus signs.
  class Nesting {
   public:
    explicit Nesting(int* depth) : depth_(depth) { ++*depth_; }
    ~Nesting() { --*depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    int* depth_;
  };
  // Notes the failure and answers true when expressions nest too deep.
  bool TooDeep();

  std::vector<std::string>* warnings_;
  size_t pos_ = 0;
  int depth_ = 0;
  Failure failure_;
  std::string hint_;  // added to the message of a failure: "; did you mean ...?"
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTPARSER_H_
