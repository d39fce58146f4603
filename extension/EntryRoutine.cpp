#include "extension/EntryRoutine.h"

namespace tallyra {

namespace {

// Constant-initialised: in place before any code of the module runs, so the
// entry routine may run before or after static initialisation.
HINSTANCE module_instance = nullptr;

}  // namespace

int ModuleEntry(HINSTANCE module, DWORD reason, void* /*reserved*/) {
  if (reason == kProcessAttach) module_instance = module;
  return 1;
}

HINSTANCE ModuleInstance() { return module_instance; }

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  return ModuleEntry(module, reason, reserved);
}

#else

namespace {

// Stands for the module's handle on Linux: the address of a byte of its own.
char module_marker;

__attribute__((constructor)) void AttachModule() {
  ModuleEntry(reinterpret_cast<HINSTANCE>(&module_marker), kProcessAttach, nullptr);
}

}  // namespace

#endif

}  // namespace tallyra
