#include "simhost/testing/LinkedModule.h"

#include "extension/EntryRoutine.h"
#include "extension/Exports.h"

namespace tallyra::simhost {

ModuleExports LinkedModuleExports() {
  // Builds the tables, as the loader's notifications do for a module file (on
  // Linux the attach has run already, at start-up, and the tables are kept as
  // they are). A thread's notification leaves the module's handle alone.
  constexpr DWORD k_thread_attach = 2;
  static const bool built = ModuleEntry(ModuleInstance(), k_thread_attach, nullptr) != 0;
  (void)built;
  ModuleExports exports;
#define TALLYRA_LINKED_EXPORT(name, result, params) exports.name = &name;
  TALLYRA_EXPORTS(TALLYRA_LINKED_EXPORT)
#undef TALLYRA_LINKED_EXPORT
  return exports;
}

}  // namespace tallyra::simhost
