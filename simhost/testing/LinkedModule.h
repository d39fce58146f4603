// LinkedModule: the module's code linked into the program itself rather than
// loaded from TallyraII.mfx, for tests and fuzzers that drive it through the
// simulated host and also look inside it (List::LiveCount(), an instance's
// set store) without the module exporting anything beyond its 73 entries.
//
//   SimulatedHost host(LinkedModuleExports());
//
// The program links tallyra_linked_module, which holds the same compiled code
// as the module file with the test hooks (cmake/TestHooks.cmake) compiled in:
// the list count, each call's allowance and observer. The module's tables are built at the first
// call, as the loader's notification builds them for a module file.
#ifndef TALLYRA_SIMHOST_TESTING_LINKEDMODULE_H_
#define TALLYRA_SIMHOST_TESTING_LINKEDMODULE_H_

#include "simhost/ModuleLibrary.h"

namespace tallyra::simhost {

ModuleExports LinkedModuleExports();

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_TESTING_LINKEDMODULE_H_
