// The tallyra script reader: any text, read line by line as a script file is
// (and as the interactive mode reads it: after an error the reader drops its
// open blocks and goes on), with the completions of each line as well.
// Checked: nothing but a ScriptError ever leaves the reader or the language.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tallyra/ScriptError.h"
#include "tallyra/ScriptLanguage.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/testing/ScriptTesting.h"

namespace tallyra {

using tallyra::script::RegistryDescription;
using tallyra::script::ScriptError;
using tallyra::script::ScriptLanguage;
using tallyra::script::ScriptReader;
using tallyra::script::ScriptStatement;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const ScriptLanguage* const language = new ScriptLanguage(RegistryDescription());
  ScriptReader reader(*language, [](int, const std::string&) {});  // warnings: none to show
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    try {
      ScriptStatement statement;
      reader.Read(line, &statement);
    } catch (const ScriptError&) {
      reader.Reset();
    }
    if (line.size() < 256) language->Complete(line);
    start = end + 1;
  }
  try {
    reader.Finish();
  } catch (const ScriptError&) {
  }
  return 0;
}

}  // namespace tallyra
