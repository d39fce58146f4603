// The help texts of tallyra, built from the grammar so that they follow the
// module's registry: `help`, every statement that can be written, and
// `help TOPIC`, the topics of the language and one page for each action,
// condition and expression. Each example line of a help text stands under
// "Examples:", indented by four blanks, and runs as written.
#ifndef TALLYRA_TALLYRA_SCRIPTHELP_H_
#define TALLYRA_TALLYRA_SCRIPTHELP_H_

#include <string>

#include "tallyra/ScriptGrammar.h"

namespace tallyra::script {

std::string HelpText(const ScriptGrammar& grammar);

// The help on one topic: HelpText for none, else a topic of `help topics`, an
// action (by its code or its first words), a condition or an expression (by
// its name). False with *text saying so when there is no such topic.
bool HelpOn(const ScriptGrammar& grammar, const std::string& topic, std::string* text);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTHELP_H_
