// SessionCompleter: what Tab offers in the interactive session. To what the
// language completes (keywords, the words that start an action, expression
// and condition names) it adds the words of an action's form that follow an
// argument ("Append element 2 " goes on with "to set "), and, inside a quoted
// argument, the names of the sets and lists that the session's statements
// have named so far.
//
// Borrows the language, which must outlive it.
#ifndef TALLYRA_TALLYRA_SESSIONCOMPLETER_H_
#define TALLYRA_TALLYRA_SESSIONCOMPLETER_H_

#include <set>
#include <string>
#include <vector>

#include "tallyra/ScriptLanguage.h"
#include "tallyra/ScriptSyntax.h"

namespace tallyra::script {

// At most this many names are remembered in a session.
constexpr size_t kMaxRememberedNames = 1000;
// Action forms are followed in lines up to this long (the work grows with the
// square of the length); longer lines get the language's completions only.
constexpr size_t kMaxFormCompletionLine = 1000;

class SessionCompleter {
 public:
  explicit SessionCompleter(const ScriptLanguage& language) : language_(language) {}

  // Notes the set and list names that a statement (with its body) names.
  void Remember(const ScriptStatement& statement);

  // Whole lines that extend the line typed so far, sorted, without repeats.
  std::vector<std::string> Complete(const std::string& typed) const;

  const std::set<std::string>& NamesForTesting() const { return names_; }

 private:
  void RememberCall(OperationKind kind, int code, const std::vector<ScriptExpr>& args);
  void RememberExpr(const ScriptExpr& expr);

  const ScriptLanguage& language_;
  std::set<std::string> names_;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SESSIONCOMPLETER_H_
