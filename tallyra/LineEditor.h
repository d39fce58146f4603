// The lines of the interactive session, as a terminal gives them. With
// libedit: line editing, history kept in ~/.tallyra_history across sessions,
// and completion by the session's completer; elsewhere, plain lines. A Ctrl-C
// while a line is typed ends the wait at once and drops the line.
#ifndef TALLYRA_TALLYRA_LINEEDITOR_H_
#define TALLYRA_TALLYRA_LINEEDITOR_H_

#include <string>

#include "tallyra/SessionCompleter.h"

namespace tallyra::cli {

class LineEditor {
 public:
  enum class Result { kLine, kEnd, kInterrupted };

  // The completer must outlive the editor. Reads the history, if there is one.
  explicit LineEditor(script::SessionCompleter& completer);
  ~LineEditor();

  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Shows the prompt and waits for a line (UTF-8, without its end), the end
  // of input or Ctrl-C (see tallyra/Interrupt.h).
  Result Read(const char* prompt, std::string* line);

  // Keeps a line that is not blank in the history, and the history in its
  // file at once, so that a session that ends abruptly loses nothing.
  void Remember(const std::string& line);

 private:
  std::string history_path_;   // empty: this session's lines are not kept
  bool write_failed_ = false;  // said once a session
};

}  // namespace tallyra::cli

#endif  // TALLYRA_TALLYRA_LINEEDITOR_H_
