// ModuleLibrary: a module file loaded into the process (dlopen on Linux,
// LoadLibraryA on Windows) with every one of its exports found by name.
//
// Loading fails, with std::runtime_error naming what is wrong, when the file
// cannot be loaded or when any of the exports listed in abi/HostAbi.h is
// missing. The library is released when the object is destroyed (on Linux it
// stays mapped to the process's end); the export pointers are to be used only
// while the object lives.
//
// A module whose code is linked into the program itself
// (simhost/testing/LinkedModule.h) is taken from its table of exports instead;
// nothing is loaded or released.
#ifndef TALLYRA_SIMHOST_MODULELIBRARY_H_
#define TALLYRA_SIMHOST_MODULELIBRARY_H_

#include <string>

#include "abi/HostAbi.h"

namespace tallyra::simhost {

// One pointer per export, named after it (exports.GetInfos(0)).
struct ModuleExports {
#define TALLYRA_EXPORT_FIELD(name, result, params) name##Fn name = nullptr;
  TALLYRA_EXPORTS(TALLYRA_EXPORT_FIELD)
#undef TALLYRA_EXPORT_FIELD
};

class ModuleLibrary {
 public:
  explicit ModuleLibrary(const std::string& path);
  // The module linked into the program; every export must be given.
  explicit ModuleLibrary(const ModuleExports& linked);
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  const ModuleExports& exports() const { return exports_; }
  const std::string& path() const { return path_; }

  // The number of exports that the host looks for.
  static int ExportCount();

 private:
  // The export's address as a generic function pointer, or null.
  using AnyFunction = void (*)();
  AnyFunction Find(const char* name) const;

  std::string path_;
  void* handle_ = nullptr;
  ModuleExports exports_;
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_MODULELIBRARY_H_
