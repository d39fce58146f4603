// ScriptReader: turns the lines of a script, fed one at a time, into
// top-level statements, gathering the bodies of repeat and on blocks up to
// their end. It knows the line numbers and puts them into every statement and
// every ScriptError that it throws.
//
// Borrows the language, which must outlive the reader.
#ifndef TALLYRA_TALLYRA_SCRIPTREADER_H_
#define TALLYRA_TALLYRA_SCRIPTREADER_H_

#include <functional>
#include <string>
#include <vector>

#include "tallyra/ScriptLanguage.h"
#include "tallyra/ScriptSyntax.h"

namespace tallyra::script {

// Blocks nest at most this deep.
constexpr int kMaxBlockDepth = 100;

class ScriptReader {
 public:
  // Told of each warning about a line that reads: its number and the message.
  using Warn = std::function<void(int line, const std::string& message)>;

  // Without a Warn, warnings go to standard error as "line N: warning: ...".
  explicit ScriptReader(const ScriptLanguage& language, Warn warn = nullptr);

  // Reads the next line (without its line feed; a carriage return before it
  // is ignored, and so is a UTF-8 byte-order mark before the first). Answers true with *statement
  // filled when the line completes a top-level statement, false while it is blank, a comment, or
  // inside a block. Throws ScriptError when the line cannot be read.
  bool Read(const std::string& line, ScriptStatement* statement);

  // At the end of the input: throws ScriptError when a block has no end.
  void Finish() const;

  // Whether a block is open, waiting for its end.
  bool InBlock() const { return !open_.empty(); }

  // The open blocks, outermost first.
  const std::vector<ScriptStatement>& open_blocks() const { return open_; }

  // Drops any open block (after an error in an interactive session).
  void Reset() { open_.clear(); }

  // When a line that starts a block (repeat, on) cannot be read, opens an
  // empty block in its place, so that its end still closes a block and the
  // lines after it are checked as they stand. For a script read whole before
  // it runs, where a bad line means that nothing runs.
  void OpenBlocksOfBadLines() { open_bad_blocks_ = true; }

  // The number of the last line read, from 1.
  int line() const { return line_; }

 private:
  const ScriptLanguage& language_;
  Warn warn_;
  int line_ = 0;
  bool open_bad_blocks_ = false;
  std::vector<ScriptStatement> open_;  // the open blocks, innermost last
};

// The word that names a block in messages: "repeat" or "on".
const char* BlockName(const ScriptStatement& block);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTREADER_H_
