#include "tallyra/LineEditor.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "tallyra/Interrupt.h"

#if defined(TALLYRA_HAVE_EDITLINE)
#include <editline/readline.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace tallyra::cli {

#if defined(TALLYRA_HAVE_EDITLINE)

namespace {

script::SessionCompleter* active_completer = nullptr;
std::vector<std::string> completions;

// The terminal opened again, without blocking, for the key reader: a read
// that a Ctrl-C empties the terminal's input before then answers at once
// instead of waiting for the next key. -1: standard input is read as it is.
int key_fd = -1;

int OpenKeysWithoutBlocking() {
  const char* terminal = ttyname(STDIN_FILENO);
  if (terminal == nullptr) return -1;
  return open(terminal, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

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
constexpr int kReplacement = 0xFFFD;

// The code point of a UTF-8 sequence whose lead byte is `lead`, and how many
// bytes follow it; false for a byte that cannot lead one.
bool StartSequence(unsigned char lead, int* code, int* following) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    *code = lead & 0x1F;
    *following = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    *code = lead & 0x0F;
    *following = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    *code = lead & 0x07;
    *following = 3;
  } else {
    return false;
  }
  return true;
}

// The line editor's key reader. It waits for the terminal and for Ctrl-C at
// once, and never blocks in a read, so that a Ctrl-C that comes at any moment
// ends the wait: the editor's own reader waits on the terminal alone, and a
// Ctrl-C that came just before its read, or between a key's arrival and its
// read, was missed until the next key. Answers a key as its code point, UTF-8
// decoded, or EOF at the end of input or at Ctrl-C, which ends the line.
int ReadKey(FILE* stream) {
  const int fd = key_fd >= 0 ? key_fd : stream != nullptr ? fileno(stream) : STDIN_FILENO;
  int code = 0;
  int following = 0;  // continuation bytes still to come
  for (;;) {
    if (*InterruptFlag() != 0) return EOF;
    pollfd waits[2] = {{fd, POLLIN, 0}, {InterruptWakeDescriptor(), POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return EOF;
    }
    if (waits[1].revents != 0) DrainInterruptWakes();
    if (waits[0].revents == 0) continue;
    unsigned char byte = 0;
    const ssize_t n = read(fd, &byte, 1);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return EOF;
    if (following > 0) {
      if ((byte & 0xC0) != 0x80) return kReplacement;  // the sequence was cut short
      code = (code << 6) | (byte & 0x3F);
      if (--following > 0) continue;
      // Overlong forms and surrogates are not characters.
      const bool valid = code >= 0x80 && (code < 0xD800 || code > 0xDFFF) && code <= 0x10FFFF;
      return valid ? code : kReplacement;
    }
    if (byte < 0x80) return byte;
    if (!StartSequence(byte, &code, &following)) return kReplacement;
  }
}

// Lines are UTF-8, as in scripts: the editor keeps characters, and encodes
// them back as the character type of the locale says.
void ReadCharactersAsUtf8() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr || std::strcmp(codeset, "UTF-8") != 0) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
}

}  // namespace

LineEditor::LineEditor(script::SessionCompleter& completer) : history_path_(HistoryPath()) {
  active_completer = &completer;
  key_fd = OpenKeysWithoutBlocking();
  ReadCharactersAsUtf8();
  rl_getc_function = ReadKey;
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

LineEditor::~LineEditor() {
  active_completer = nullptr;
  if (key_fd >= 0) close(key_fd);
  key_fd = -1;
}

LineEditor::Result LineEditor::Read(const char* prompt, std::string* line) {
  DrainInterruptWakes();
  char* input = readline(prompt);
  if (*InterruptFlag() != 0) {
    std::free(input);
    return Result::kInterrupted;
  }
  if (input == nullptr) return Result::kEnd;
  *line = input;
  std::free(input);
  return Result::kLine;
}

void LineEditor::Remember(const std::string& line) {
  if (line.find_first_not_of(" \t") == std::string::npos) return;
  add_history(line.c_str());
  if (history_path_.empty()) return;
  int error = write_history(history_path_.c_str());
  if (error != 0 && !write_failed_) {
    write_failed_ = true;
    std::fprintf(stderr, "tallyra: history not kept in %s: %s\n", history_path_.c_str(),
                 std::strerror(error));
  }
}

#else

// Plain lines, without editing or history. Reads resume after Ctrl-C, so a
// line being typed is dropped when it is ended.
LineEditor::LineEditor(script::SessionCompleter&) {}

LineEditor::~LineEditor() = default;

LineEditor::Result LineEditor::Read(const char* prompt, std::string* line) {
  std::fputs(prompt, stdout);
  std::fflush(stdout);
  bool got = static_cast<bool>(std::getline(std::cin, *line));
  if (*InterruptFlag() != 0) return Result::kInterrupted;
  if (got) return Result::kLine;
  std::cin.clear();  // a terminal may give more after the end of input
  return Result::kEnd;
}

void LineEditor::Remember(const std::string&) {}

#endif

}  // namespace tallyra::cli
