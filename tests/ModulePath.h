// Where the host-level tests find the module file: the TALLYRA_MODULE
// environment variable when it is set (the Windows module under Wine), else
// the module that this build made.
#ifndef TALLYRA_TESTS_MODULEPATH_H_
#define TALLYRA_TESTS_MODULEPATH_H_

#include <cstdlib>
#include <string>

namespace tallyra {

inline std::string ModulePath() {
  const char* path = std::getenv("TALLYRA_MODULE");
  if (path != nullptr && *path != '\0') return path;
  return TALLYRA_MODULE_PATH;
}

}  // namespace tallyra

#endif  // TALLYRA_TESTS_MODULEPATH_H_
