#include "simhost/ModuleLibrary.h"

#include <stdexcept>

#if defined(_WIN32)
#include "platform/Win32.h"
#else
#include <dlfcn.h>
#endif

namespace tallyra::simhost {

namespace {

#if defined(_WIN32)
std::string LastLoadError() { return "error " + std::to_string(GetLastError()); }
#else
std::string LastLoadError() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown error";
}
#endif

}  // namespace

ModuleLibrary::ModuleLibrary(const std::string& path) : path_(path) {
#if defined(_WIN32)
  handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
#else
  // The module stays mapped after dlclose (its own tear-down runs at the
  // process's end): the libraries it pulls in do not all unload cleanly (the
  // OpenMP runtime under muParser leaves a block behind), and a leak in the
  // module itself keeps a readable stack.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
#endif
  if (handle_ == nullptr) {
    throw std::runtime_error("cannot load the module " + path + ": " + LastLoadError());
  }
  std::string missing;
#define TALLYRA_FIND_EXPORT(name, result, params)          \
  exports_.name = reinterpret_cast<name##Fn>(Find(#name)); \
  if (exports_.name == nullptr) missing += (missing.empty() ? "" : ", ") + std::string(#name);
  TALLYRA_EXPORTS(TALLYRA_FIND_EXPORT)
#undef TALLYRA_FIND_EXPORT
  if (!missing.empty()) {
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    throw std::runtime_error("the module " + path + " does not export " + missing);
  }
}

ModuleLibrary::ModuleLibrary(const ModuleExports& linked) : path_("(linked)"), exports_(linked) {
  std::string missing;
#define TALLYRA_CHECK_EXPORT(name, result, params) \
  if (exports_.name == nullptr) missing += (missing.empty() ? "" : ", ") + std::string(#name);
  TALLYRA_EXPORTS(TALLYRA_CHECK_EXPORT)
#undef TALLYRA_CHECK_EXPORT
  if (!missing.empty()) throw std::runtime_error("the linked module lacks " + missing);
}

ModuleLibrary::~ModuleLibrary() {
  if (handle_ == nullptr) return;  // linked: nothing was loaded
#if defined(_WIN32)
  FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
}

int ModuleLibrary::ExportCount() {
  int count = 0;
#define TALLYRA_COUNT_EXPORT(name, result, params) ++count;
  TALLYRA_EXPORTS(TALLYRA_COUNT_EXPORT)
#undef TALLYRA_COUNT_EXPORT
  return count;
}

ModuleLibrary::AnyFunction ModuleLibrary::Find(const char* name) const {
#if defined(_WIN32)
  return reinterpret_cast<AnyFunction>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
  return reinterpret_cast<AnyFunction>(dlsym(handle_, name));
#endif
}

}  // namespace tallyra::simhost
