// The interactive session of `tallyra` on a terminal: the script language line
// by line, with line editing, history kept across sessions and completion
// where libedit is available (a plain line reader elsewhere), and `help`. An
// error is shown and the session goes on, an open block staying open; Ctrl-C
// stops the statement running, or drops the line being typed.
#ifndef TALLYRA_TALLYRA_INTERACTIVE_H_
#define TALLYRA_TALLYRA_INTERACTIVE_H_

#include "tallyra/ScriptHost.h"
#include "tallyra/ScriptLanguage.h"

namespace tallyra::cli {

// Runs the session until the end of input or quit; answers the exit status.
// plot draws within columns (0: no limit).
int RunInteractive(const script::ScriptLanguage& language, script::ScriptHost& host, int columns);

}  // namespace tallyra::cli

#endif  // TALLYRA_TALLYRA_INTERACTIVE_H_
