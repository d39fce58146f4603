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
// and "List object" start the other statements. Lines are read by
// ScriptParser against the grammar of the display strings (ScriptGrammar).
//
// Immutable once built; ParseLine may be called from any number of readers.
#ifndef TALLYRA_TALLYRA_SCRIPTLANGUAGE_H_
#define TALLYRA_TALLYRA_SCRIPTLANGUAGE_H_

#include <string>
#include <vector>

#include "abi/ObjectDescription.h"
#include "tallyra/ScriptGrammar.h"
#include "tallyra/ScriptSyntax.h"

namespace tallyra::script {

class ScriptLanguage {
 public:
  // Keeps its own copy of the description.
  explicit ScriptLanguage(ObjectDescription description);

  using LineKind = ScriptLineKind;

  // Reads one line (without its line feed) into *statement. A "#" outside
  // quotes starts a comment that runs to the end of the line. Throws
  // ScriptError (line 0) saying what was expected when it cannot be read, and
  // for a NUL byte. Warnings about a line that reads are added to *warnings
  // when it is not null.
  LineKind ParseLine(const std::string& line, ScriptStatement* statement,
                     std::vector<std::string>* warnings = nullptr) const;

  const ObjectDescription& description() const { return grammar_.description(); }
  const ScriptGrammar& grammar() const { return grammar_; }

  // The text of the interactive `help`: every statement that can be written.
  std::string HelpText() const;

  // The help on one topic (see HelpOn).
  bool Help(const std::string& topic, std::string* text) const;

  // Completions of a line typed so far: whole lines that extend it with a
  // keyword, the fixed words that start an action, or an expression name;
  // right after print or on, everything that may follow them.
  std::vector<std::string> Complete(const std::string& typed) const;

 private:
  ScriptGrammar grammar_;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTLANGUAGE_H_
