// The interactive session of `tallyra` on a terminal: the script language line
// by line (see tallyra/LineEditor.h for how lines are typed), and `help`. An
// error is shown and the session goes on, an open block staying open; Ctrl-C
// stops the statement running, or drops the line being typed and any open block.
#ifndef TALLYRA_TALLYRA_SESSION_H_
#define TALLYRA_TALLYRA_SESSION_H_

#include "tallyra/ScriptHost.h"
#include "tallyra/ScriptLanguage.h"

namespace tallyra::cli {

// Runs the session until the end of input or quit; answers the exit status.
// plot draws within columns (0: no limit).
int RunSession(const script::ScriptLanguage& language, script::ScriptHost& host, int columns);

}  // namespace tallyra::cli

#endif  // TALLYRA_TALLYRA_SESSION_H_
