// ScriptError: a script line that cannot be read or run. It carries the line
// number (from 1; 0 while the parser does not know it yet) and a message that
// says what was expected. Thrown by ScriptLanguage, ScriptReader and
// ScriptRunner; the command line writes it as "FILE:LINE: MESSAGE". ScriptQuit
// ends a script early.
#ifndef TALLYRA_TALLYRA_SCRIPTERROR_H_
#define TALLYRA_TALLYRA_SCRIPTERROR_H_

#include <stdexcept>
#include <string>

namespace tallyra::script {

class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}

  int line() const { return line_; }

 private:
  int line_;
};

// Thrown by ScriptRunner when a quit statement runs: the script (or the
// session) ends there, as after its last line.
struct ScriptQuit {};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTERROR_H_
