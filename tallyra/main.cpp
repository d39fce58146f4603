// tallyra: the command-line host. It loads the module through the simulated
// host and runs scripts against one object instance.
//
//   tallyra [OPTIONS] run FILE     run a script (FILE - reads standard input)
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
#include "tallyra/Interactive.h"
#include "tallyra/ModuleHost.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptLanguage.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/ScriptRunner.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tallyra::cli {

using script::DescribeObject;
using script::ScriptError;
using script::ScriptHost;
using script::ScriptLanguage;
using script::ScriptReader;
using script::ScriptRunner;
using script::ScriptStatement;
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitScriptError = 2;
constexpr int kExitStrict = 3;

const char kUsage[] =
    "usage: tallyra [OPTIONS] run FILE      run a script (- reads standard input)\n"
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

// Runs a whole script. Lines are read as they come, so a script stops at its
// first bad line with the output of the lines before it written.
int RunScript(const std::string& display_name, std::istream& in, const ScriptLanguage& language,
              ScriptHost& host, bool strict) {
  int warnings = 0;
  ScriptReader reader(language, [&](int line, const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: warning: %s\n", display_name.c_str(), line, message.c_str());
    ++warnings;
  });
  ScriptRunner runner(host, WriteLine);
  try {
    std::string line;
    while (std::getline(in, line)) {
      ScriptStatement statement;
      if (reader.Read(line, &statement)) runner.Run(statement);
    }
    if (in.bad()) {
      std::fflush(stdout);
      std::fprintf(stderr, "tallyra: cannot read %s after line %d\n", display_name.c_str(),
                   reader.line());
      return kExitFailure;
    }
    reader.Finish();
  } catch (const ScriptError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", display_name.c_str(), e.line(), e.what());
    return kExitScriptError;
  }
  std::fflush(stdout);
  if (strict && (runner.boxesShown() > 0 || warnings > 0)) {
    std::fprintf(stderr, "tallyra: --strict: %d message box%s and %d warning%s\n",
                 runner.boxesShown(), runner.boxesShown() == 1 ? "" : "es", warnings,
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
      if (StandardInputIsTerminal()) return RunInteractive(language, *host);
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
