#include "tallyra/Session.h"

#include <cstdio>
#include <string>
#include <vector>

#include "tallyra/Interrupt.h"
#include "tallyra/LineEditor.h"
#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/ScriptRunner.h"
#include "tallyra/SessionCompleter.h"

namespace tallyra::cli {

using script::SameText;
using script::ScriptError;
using script::ScriptHost;
using script::ScriptLanguage;
using script::ScriptQuit;
using script::ScriptReader;
using script::ScriptRunner;
using script::ScriptStatement;
using script::SessionCompleter;

namespace {

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// "the repeat block of line 3 inside the on block of line 1": the open
// blocks, innermost first.
std::string OpenBlocks(const ScriptReader& reader) {
  std::string text;
  const std::vector<ScriptStatement>& blocks = reader.open_blocks();
  for (size_t i = blocks.size(); i-- > 0;) {
    if (!text.empty()) text += " inside ";
    text += "the " + std::string(BlockName(blocks[i])) + " block of line " +
            std::to_string(blocks[i].line);
  }
  return text;
}

void Say(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace

int RunSession(const ScriptLanguage& language, ScriptHost& host, int columns) {
  SessionCompleter completer(language);
  LineEditor editor(completer);
  ScriptReader reader(language);
  ScriptRunner runner(
      host,
      [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
      },
      [](int line, const std::string& message) {
        Say("line " + std::to_string(line) + ": warning: " + message);
      });
  runner.StopWhenSet(InterruptFlag());
  runner.SetPlotWidth(columns);
  CatchInterrupts();
  std::printf(
      "tallyra: one object instance. Type help for what can be written, quit to end; "
      "Ctrl-C stops a statement.\n");
  bool end_warned = false;  // the end of input came once inside an open block
  std::string line;
  for (;;) {
    *InterruptFlag() = 0;
    const LineEditor::Result input = editor.Read(reader.InBlock() ? "...> " : "tallyra> ", &line);
    if (input == LineEditor::Result::kInterrupted) {
      // As in a shell: the line typed so far, and any block open, are dropped.
      std::printf("\n");
      if (reader.InBlock()) Say(OpenBlocks(reader) + " is dropped");
      reader.Reset();
      end_warned = false;
      continue;
    }
    if (input == LineEditor::Result::kEnd) {
      std::printf("\n");
      if (!reader.InBlock() || end_warned) break;
      Say(OpenBlocks(reader) + " is still open and has not run: type end to run it, or Ctrl-D " +
          "again to leave without running it");
      end_warned = true;
      continue;
    }
    end_warned = false;
    editor.Remember(line);
    const std::string word = Trimmed(line);
    if (SameText(word, "quit") || SameText(word, "exit")) break;
    if (SameText(word, "help")) {
      std::fputs(language.HelpText().c_str(), stdout);
      continue;
    }
    try {
      ScriptStatement statement;
      if (reader.Read(line, &statement)) {
        completer.Remember(statement);
        runner.Run(statement);
      }
    } catch (const ScriptQuit&) {
      break;
    } catch (const ScriptError& e) {
      if (*InterruptFlag() != 0) std::printf("\n");  // after the ^C that the terminal shows
      Say("line " + std::to_string(e.line()) + ": " + e.what());
      // A line that cannot be read changes nothing: a block open stays open.
      if (reader.InBlock()) Say(OpenBlocks(reader) + " is still open: go on with its lines");
    }
  }
  if (reader.InBlock()) Say(OpenBlocks(reader) + " has not run");
  return 0;
}

}  // namespace tallyra::cli
