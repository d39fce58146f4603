#include "tallyra/Interactive.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tallyra/ScriptError.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/ScriptRunner.h"

#if defined(TALLYRA_HAVE_READLINE)
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace {

#if defined(TALLYRA_HAVE_READLINE)

const ScriptLanguage* completionLanguage = nullptr;
std::vector<std::string> completions;

char* NextCompletion(const char*, int state) {
  if (state == 0) {
    // The whole line up to the cursor is completed, not one word of it.
    std::string typed(rl_line_buffer, static_cast<size_t>(rl_point));
    completions = completionLanguage->Complete(typed);
  }
  if (static_cast<size_t>(state) >= completions.size()) return nullptr;
  const std::string& c = completions[static_cast<size_t>(state)];
  char* copy = static_cast<char*>(std::malloc(c.size() + 1));
  if (copy != nullptr) std::copy(c.c_str(), c.c_str() + c.size() + 1, copy);
  return copy;
}

char** CompleteLine(const char* text, int, int) {
  rl_attempted_completion_over = 1;  // no file names
  rl_completion_append_character = '\0';
  return rl_completion_matches(text, NextCompletion);
}

bool ReadLine(const char* prompt, std::string* line) {
  char* input = readline(prompt);
  if (input == nullptr) return false;
  *line = input;
  if (!line->empty()) add_history(input);
  std::free(input);
  return true;
}

void SetUpLineEditing(const ScriptLanguage& language) {
  completionLanguage = &language;
  rl_readline_name = "tallyra";
  // Completion works on the whole line: no character breaks it into words.
  static char noBreaks[] = "\n";
  rl_completer_word_break_characters = noBreaks;
  rl_attempted_completion_function = CompleteLine;
}

#else

bool ReadLine(const char* prompt, std::string* line) {
  std::fputs(prompt, stdout);
  std::fflush(stdout);
  return static_cast<bool>(std::getline(std::cin, *line));
}

void SetUpLineEditing(const ScriptLanguage&) {}

#endif

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

int RunInteractive(const ScriptLanguage& language, ScriptHost& host) {
  SetUpLineEditing(language);
  ScriptReader reader(language);
  ScriptRunner runner(host, [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  });
  std::printf("tallyra: one object instance. Type help for what can be written, quit to end.\n");
  std::string line;
  while (ReadLine(reader.InBlock() ? "...> " : "tallyra> ", &line)) {
    const std::string word = Trimmed(line);
    if (!reader.InBlock() && (word == "quit" || word == "exit")) break;
    if (!reader.InBlock() && word == "help") {
      std::fputs(language.HelpText().c_str(), stdout);
      continue;
    }
    try {
      ScriptStatement statement;
      if (reader.Read(line, &statement)) runner.Run(statement);
    } catch (const ScriptError& e) {
      std::fflush(stdout);
      std::fprintf(stderr, "line %d: %s\n", e.line(), e.what());
      reader.Reset();
    }
  }
  std::printf("\n");
  return 0;
}
