// ScriptLanguage: the line syntax of tallyra scripts, built from what the
// editor sees of the object (ObjectDescription), so that the actions,
// conditions and expressions that a script can name are the module's own.
//
// An action line is the action's display string with each placeholder filled
// by an argument; a condition is its display string without the object
// placeholder ("%o: %0 == %1" is written "4 == 4"); an expression is its name
// as authors write it in the host, "(" included, with arguments separated by
// commas. An argument is a quoted text, a number, an expression, or arithmetic
// in parentheses. Where display strings are shared, the types of the
// arguments pick the operation. The keywords print, repeat, on, end, action
// and "List object" start the other statements.
//
// Immutable once built; ParseLine may be called from any number of readers.
#ifndef TALLYRA_TALLYRA_SCRIPTLANGUAGE_H_
#define TALLYRA_TALLYRA_SCRIPTLANGUAGE_H_

#include <string>
#include <vector>

#include "tallyra/ObjectDescription.h"
#include "tallyra/ScriptSyntax.h"

class ScriptLanguage {
 public:
  // Keeps its own copy of the description.
  explicit ScriptLanguage(ObjectDescription description);

  enum class LineKind {
    kNothing,     // a blank line or a comment
    kStatement,   // a complete statement
    kBlockStart,  // repeat or on: the statement's body follows, up to its end
    kBlockEnd,    // end
  };

  // Reads one line (without its line feed) into *statement. A "#" outside
  // quotes starts a comment that runs to the end of the line. Throws
  // ScriptError (line 0) saying what was expected when it cannot be read, and
  // for a NUL byte. Warnings about a line that reads are added to *warnings
  // when it is not null.
  LineKind ParseLine(const std::string& line, ScriptStatement* statement,
                     std::vector<std::string>* warnings = nullptr) const;

  const ObjectDescription& description() const { return description_; }

  // The text of the interactive `help`: every statement that can be written.
  std::string HelpText() const;

  // The help on one topic: HelpText for none, else a topic of `help topics`,
  // an action (by its code or its first words), a condition or an expression
  // (by its name). False with *text saying so when there is no such topic.
  // Each example line of a help text stands under "Examples:", indented by
  // four blanks, and runs as written.
  bool Help(const std::string& topic, std::string* text) const;

  // Completions of a line typed so far: whole lines that extend it with a
  // keyword, the fixed words that start an action, or an expression name;
  // right after print or on, everything that may follow them.
  std::vector<std::string> Complete(const std::string& typed) const;

  // An operation's display string with each placeholder shown as <title>,
  // the object placeholder of a condition dropped.
  std::string FormOf(ScriptOpKind kind, int code) const;

  // The operation of that kind and code; the code must be registered.
  const ScriptOpInfo& Info(ScriptOpKind kind, int code) const;

  // Whether a condition is one that the object raises itself (its flags are
  // 0, like "On trigger"): an `on` block on it waits for the object to raise
  // it, where a block on any other condition is tested where it stands.
  bool IsRaisedCondition(int code) const;

  struct Segment {
    bool param = false;
    int index = 0;                    // param: the parameter's number
    std::vector<std::string> tokens;  // literal: its words and marks, blanks dropped
  };
  struct Template {
    ScriptOpKind kind = ScriptOpKind::kAction;
    int code = 0;
    std::vector<Segment> segments;
    bool usable = false;  // every parameter appears exactly once
  };

  // The display strings of the conditions and actions, cut up, by code.
  const std::vector<Template>& conditionTemplates() const { return conditions_; }
  const std::vector<Template>& actionTemplates() const { return actions_; }

 private:
  const std::vector<ScriptOpInfo>& Operations(ScriptOpKind kind) const;

  ObjectDescription description_;
  std::vector<Template> conditions_;
  std::vector<Template> actions_;
};

#endif  // TALLYRA_TALLYRA_SCRIPTLANGUAGE_H_
