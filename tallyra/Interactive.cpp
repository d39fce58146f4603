#include "tallyra/Interactive.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/ScriptRunner.h"
#include "tallyra/SessionCompleter.h"

#if defined(TALLYRA_HAVE_EDITLINE)
#include <editline/readline.h>
#include <pwd.h>
#include <unistd.h>
#endif

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

// Set by Ctrl-C (SIGINT): the statement running stops at its next statement,
// a line being typed is dropped.
volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
#if defined(_WIN32)
  std::signal(SIGINT, OnInterrupt);  // the handler is reset before each call there
#endif
}

void CatchInterrupts() {
#if defined(_WIN32)
  std::signal(SIGINT, OnInterrupt);
#else
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Output under way is not cut short; the line editor installs a handler of
  // its own while it waits for a line, and passes the signal on to this one.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
#endif
}

enum class Input { kLine, kEnd, kInterrupted };

#if defined(TALLYRA_HAVE_EDITLINE)

SessionCompleter* active_completer = nullptr;
std::vector<std::string> completions;

char* NextCompletion(const char*, int state) {
  if (state == 0) {
    // The whole line up to the cursor is completed, not one word of it.
    std::string typed(rl_line_buffer, static_cast<size_t>(rl_point));
    completions = active_completer->Complete(typed);
  }
  if (static_cast<size_t>(state) >= completions.size()) return nullptr;
  const std::string& c = completions[static_cast<size_t>(state)];
  char* copy = static_cast<char*>(std::malloc(c.size() + 1));
  if (copy != nullptr) std::memcpy(copy, c.c_str(), c.size() + 1);
  return copy;
}

char** CompleteLine(const char* text, int, int) {
  rl_attempted_completion_over = 1;  // no file names
  return rl_completion_matches(text, NextCompletion);
}

// The history file: ~/.tallyra_history, $HOME first.
std::string HistoryPath() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || *home == '\0') return std::string();
  std::string path = home;
  if (path.back() != '/') path += '/';
  return path + ".tallyra_history";
}

constexpr int kHistoryLines = 1000;

class LineEditor {
 public:
  explicit LineEditor(SessionCompleter& completer) : history_path_(HistoryPath()) {
    active_completer = &completer;
    rl_readline_name = "tallyra";
    // Completion works on the whole line: no character breaks it into words.
    rl_basic_word_break_characters = "\n";
    rl_completion_append_character = '\0';
    rl_attempted_completion_function = CompleteLine;
    using_history();
    stifle_history(kHistoryLines);
    if (history_path_.empty()) return;
    int error = read_history(history_path_.c_str());
    if (error != 0 && error != ENOENT) {
      // A file that is not a history, or that cannot be read, is not overwritten.
      std::fprintf(stderr,
                   "tallyra: history not read from %s (%s); the file is left as it is and "
                   "this session's lines are not kept\n",
                   history_path_.c_str(), std::strerror(error));
      history_path_.clear();
    }
  }

  ~LineEditor() { active_completer = nullptr; }

  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  Input Read(const char* prompt, std::string* line) {
    char* input = readline(prompt);
    if (input == nullptr) return interrupted != 0 ? Input::kInterrupted : Input::kEnd;
    *line = input;
    std::free(input);
    return Input::kLine;
  }

  // Keeps the line in the history, and the history in its file at once, so
  // that a session that ends abruptly loses nothing.
  void Remember(const std::string& line) {
    if (line.find_first_not_of(" \t") == std::string::npos) return;
    add_history(line.c_str());
    if (history_path_.empty()) return;
    int error = write_history(history_path_.c_str());
    if (error != 0 && !write_failed_) {
      write_failed_ = true;  // said once a session
      std::fprintf(stderr, "tallyra: history not kept in %s: %s\n", history_path_.c_str(),
                   std::strerror(error));
    }
  }

 private:
  std::string history_path_;
  bool write_failed_ = false;
};

#else

// A plain line reader, without editing or history. Reads resume after
// Ctrl-C, so a line being typed is dropped when it is ended.
class LineEditor {
 public:
  explicit LineEditor(SessionCompleter&) {}

  Input Read(const char* prompt, std::string* line) {
    std::fputs(prompt, stdout);
    std::fflush(stdout);
    if (std::getline(std::cin, *line)) return Input::kLine;
    std::cin.clear();  // a terminal may give more after the end of input
    return interrupted != 0 ? Input::kInterrupted : Input::kEnd;
  }

  void Remember(const std::string&) {}
};

#endif

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

int RunInteractive(const ScriptLanguage& language, ScriptHost& host, int columns) {
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
  runner.StopWhenSet(&interrupted);
  runner.SetPlotWidth(columns);
  CatchInterrupts();
  std::printf(
      "tallyra: one object instance. Type help for what can be written, quit to end; "
      "Ctrl-C stops a statement.\n");
  bool end_warned = false;  // the end of input came once inside an open block
  std::string line;
  for (;;) {
    interrupted = 0;
    Input input = editor.Read(reader.InBlock() ? "...> " : "tallyra> ", &line);
    if (input == Input::kLine && interrupted != 0) input = Input::kInterrupted;
    if (input == Input::kInterrupted) {
      // As in a shell: the line typed so far, and any block open, are dropped.
      std::printf("\n");
      if (reader.InBlock()) Say(OpenBlocks(reader) + " is dropped");
      reader.Reset();
      end_warned = false;
      continue;
    }
    if (input == Input::kEnd) {
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
      if (interrupted != 0) std::printf("\n");  // after the ^C that the terminal shows
      Say("line " + std::to_string(e.line()) + ": " + e.what());
      // A line that cannot be read changes nothing: a block open stays open.
      if (reader.InBlock()) Say(OpenBlocks(reader) + " is still open: go on with its lines");
    }
  }
  if (reader.InBlock()) Say(OpenBlocks(reader) + " has not run");
  return 0;
}

}  // namespace tallyra::cli
