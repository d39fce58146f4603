// tallyra: the command-line host. It loads the module through the simulated
// host and runs scripts against one object instance.
//
//   tallyra [OPTIONS] run FILE     run a script (FILE - reads standard input)
//   tallyra [OPTIONS] FILE         the same
//   tallyra [OPTIONS] describe     print what the editor sees of the object
//   tallyra [OPTIONS] help [TOPIC] print what can be written
//   tallyra [OPTIONS]              an interactive session on a terminal
//
// Exit status: 0 when the script ends normally; 1 when the module cannot be
// loaded or a file cannot be read; 2 for a script line that cannot be read
// or run and for a wrong command line; 3 with --strict when the script ran to
// its end but the object showed a message box or tallyra gave a warning.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "tallyra/Describe.h"
#include "tallyra/Session.h"
#include "tallyra/ModuleHost.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptLanguage.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/ScriptRunner.h"
#include "tallyra/TextFile.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace tallyra::cli {

using script::DescribeObject;
using script::ReadText;
using script::ScriptError;
using script::ScriptHost;
using script::ScriptLanguage;
using script::ScriptQuit;
using script::ScriptReader;
using script::ScriptRunner;
using script::ScriptStatement;
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitScriptError = 2;
constexpr int kExitStrict = 3;

const char kUsage[] =
    "usage: tallyra [OPTIONS] run FILE      run a script (- reads standard input)\n"
    "       tallyra [OPTIONS] FILE          the same\n"
    "       tallyra [OPTIONS] describe      print what the editor sees of the object\n"
    "       tallyra [OPTIONS] help [TOPIC]  what can be written (help topics lists topics)\n"
    "       tallyra [OPTIONS]               interactive session (on a terminal)\n"
    "Options:\n"
    "  --module PATH   the module to load (default: TallyraII.mfx beside tallyra)\n"
    "  --strict        exit with 3 when the object showed a message box or tallyra\n"
    "                  gave a warning, though the script ran to its end\n"
    "  -h, --help      this text\n"
    "  --version       tallyra's version\n"
    "Exit status: 0 the script ended normally; 1 the module or a file cannot be\n"
    "read; 2 a script line cannot be read or run, or a wrong command line; 3 see\n"
    "--strict.\n";

// The folder of the running executable, with a trailing separator.
std::string ExecutableFolder() {
#if defined(_WIN32)
  char path[4096];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string p(path, n < sizeof(path) ? n : 0);
  size_t slash = p.find_last_of("\\/");
#else
  std::vector<char> path(4096);
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  std::string p(path.data(), n > 0 ? static_cast<size_t>(n) : 0);
  size_t slash = p.find_last_of('/');
#endif
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

bool StandardInputIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

void WriteLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// The columns of the terminal that standard output shows on; 0 when it is
// no terminal (COLUMNS, when set, says it for a terminal that cannot be asked).
int TerminalColumns() {
#if defined(_WIN32)
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (_isatty(_fileno(stdout)) &&
      GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
    return info.srWindow.Right - info.srWindow.Left + 1;
  }
#else
  winsize size = {};
  if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
#endif
  const char* columns = std::getenv("COLUMNS");
  return columns != nullptr ? std::atoi(columns) : 0;
}

constexpr size_t kMaxScriptBytes = 64u << 20;

// Runs a whole script. It is read and checked whole first: when any line
// cannot be read, each such line is reported and nothing runs. A quit ends
// the reading, and the script, there.
int RunScript(const std::string& display_name, std::istream& in, const ScriptLanguage& language,
              ScriptHost& host, bool strict) {
  auto report = [&display_name](const char* what) {
    return [&display_name, what](int line, const std::string& message) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s:%d: %s%s\n", display_name.c_str(), line, what, message.c_str());
    };
  };
  int reader_warnings = 0;
  const auto warn = report("warning: ");
  ScriptReader reader(language, [&](int line, const std::string& message) {
    warn(line, message);
    ++reader_warnings;
  });
  reader.OpenBlocksOfBadLines();

  std::string text;
  std::string error;
  bool cut = false;
  if (!ReadText(in, kMaxScriptBytes, &text, &cut, &error) || cut) {
    std::fprintf(stderr, "tallyra: cannot read %s: %s\n", display_name.c_str(),
                 cut ? "a script is at most 64 MiB" : error.c_str());
    return kExitFailure;
  }
  std::vector<ScriptStatement> statements;
  int bad_lines = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    try {
      ScriptStatement statement;
      if (reader.Read(text.substr(start, end - start), &statement)) {
        const bool quit = statement.kind == ScriptStatement::Kind::kQuit;
        statements.push_back(std::move(statement));
        if (quit) break;
      }
    } catch (const ScriptError& e) {
      report("")(e.line(), e.what());
      ++bad_lines;
    }
    start = end + 1;
  }
  if (!statements.empty() && statements.back().kind == ScriptStatement::Kind::kQuit) {
    // The lines after a quit are not read.
  } else {
    try {
      reader.Finish();
    } catch (const ScriptError& e) {
      report("")(e.line(), e.what());
      ++bad_lines;
    }
  }
  if (bad_lines > 0) {
    std::fprintf(stderr, "tallyra: %s: %d line%s cannot be read; nothing ran\n",
                 display_name.c_str(), bad_lines, bad_lines == 1 ? "" : "s");
    return kExitScriptError;
  }

  ScriptRunner runner(host, WriteLine, warn, report("box: "));
  runner.SetPlotWidth(TerminalColumns());
  try {
    for (const ScriptStatement& statement : statements) runner.Run(statement);
  } catch (const ScriptError& e) {
    report("")(e.line(), e.what());
    return kExitScriptError;
  } catch (const ScriptQuit&) {
    // The script ends here, as at its last line.
  }
  std::fflush(stdout);
  const int warnings = reader_warnings + runner.warnings();
  if (strict && (runner.boxes_shown() > 0 || warnings > 0)) {
    std::fprintf(stderr, "tallyra: --strict: %d message box%s and %d warning%s\n",
                 runner.boxes_shown(), runner.boxes_shown() == 1 ? "" : "es", warnings,
                 warnings == 1 ? "" : "s");
    return kExitStrict;
  }
  return 0;
}

// Opens a script file; on failure says why, as the C library words it.
bool OpenScript(const std::string& file, std::ifstream* in) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    std::fprintf(stderr, "tallyra: cannot read %s: %s\n", file.c_str(), std::strerror(EISDIR));
    return false;
  }
  errno = 0;
  std::FILE* probe = std::fopen(file.c_str(), "rb");
  if (probe == nullptr) {
    const int cause = errno != 0 ? errno : ENOENT;
    std::fprintf(stderr, "tallyra: cannot read %s: %s\n", file.c_str(), std::strerror(cause));
    return false;
  }
  std::fclose(probe);
  in->open(file, std::ios::in | std::ios::binary);
  if (!*in) {
    std::fprintf(stderr, "tallyra: cannot read %s\n", file.c_str());
    return false;
  }
  return true;
}

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "tallyra: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return kExitScriptError;
}

int Main(int argc, char** argv) {
  std::string module_path;
  bool strict = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--module") {
      if (i + 1 >= argc) return Usage("the option --module needs a path");
      module_path = argv[++i];
    } else if (a.compare(0, 9, "--module=") == 0) {
      module_path = a.substr(9);
    } else if (a == "--strict") {
      strict = true;
    } else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--version") {
      std::printf("tallyra %s\n", TALLYRA_VERSION);
      return 0;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else {
      args.push_back(a);
    }
  }
  enum class Command { kRun, kDescribe, kHelp, kInteractive } command;
  std::error_code exists_error;
  std::string file;
  if (args.empty()) {
    command = Command::kInteractive;
  } else if (args[0] == "run" && args.size() == 2) {
    command = Command::kRun;
    file = args[1];
  } else if (args[0] == "describe" && args.size() == 1) {
    command = Command::kDescribe;
  } else if (args[0] == "help") {
    command = Command::kHelp;
  } else if (args.size() == 1 && (std::filesystem::exists(args[0], exists_error) ||
                                  args[0].find_first_of("./\\") != std::string::npos)) {
    // tallyra FILE runs it, as tallyra run FILE does.
    command = Command::kRun;
    file = args[0];
  } else {
    return Usage(args[0] == "run"        ? "run takes one FILE, or - for standard input"
                 : args[0] == "describe" ? "describe takes no arguments"
                                         : "unknown command " + args[0]);
  }

  // Open the script before loading the module, so that a wrong name costs nothing.
  std::ifstream script_file;
  if (command == Command::kRun && file != "-" && !OpenScript(file, &script_file)) {
    return kExitFailure;
  }

  if (module_path.empty()) module_path = ExecutableFolder() + "TallyraII.mfx";
  std::string error;
  std::unique_ptr<ModuleHost> host = ModuleHost::Load(module_path, &error);
  if (!host) {
    std::fprintf(stderr, "tallyra: %s\n", error.c_str());
    return kExitFailure;
  }
  ScriptLanguage language(host->description());

  switch (command) {
    case Command::kDescribe:
      std::fputs(DescribeObject(host->description()).c_str(), stdout);
      return 0;
    case Command::kHelp: {
      std::string topic;
      for (size_t i = 1; i < args.size(); ++i) topic += (i > 1 ? " " : "") + args[i];
      std::string text;
      if (!language.Help(topic, &text)) {
        std::fputs(text.c_str(), stderr);
        return kExitScriptError;
      }
      std::fputs(text.c_str(), stdout);
      return 0;
    }
    case Command::kRun:
      if (file == "-") return RunScript("<stdin>", std::cin, language, *host, strict);
      return RunScript(file, script_file, language, *host, strict);
    case Command::kInteractive:
      if (StandardInputIsTerminal()) return RunSession(language, *host, TerminalColumns());
      // Not on a terminal: the script comes from standard input.
      return RunScript("<stdin>", std::cin, language, *host, strict);
  }
  return 0;
}

}  // namespace
}  // namespace tallyra::cli

int main(int argc, char** argv) {
#if defined(_WIN32)
  // Line feeds stay line feeds, so output is byte for byte the same everywhere.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  try {
    return tallyra::cli::Main(argc, argv);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "tallyra: %s\n", e.what());
    return tallyra::cli::kExitFailure;
  }
}
