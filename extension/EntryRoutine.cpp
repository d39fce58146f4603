#include "extension/EntryRoutine.h"

namespace tallyra {

namespace {

// Constant-initialised: in place before any code of the module runs, so the
// entry routine may run before or after static initialisation.
HINSTANCE moduleInstance = nullptr;

}  // namespace

int ModuleEntry(HINSTANCE module, DWORD reason, void* /*reserved*/) {
  if (reason == kProcessAttach) moduleInstance = module;
  return 1;
}

HINSTANCE ModuleInstance() { return moduleInstance; }

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  return ModuleEntry(module, reason, reserved);
}

#else

namespace {

// Stands for the module's handle on Linux: the address of a byte of its own.
char moduleMarker;

__attribute__((constructor)) void AttachModule() {
  ModuleEntry(reinterpret_cast<HINSTANCE>(&moduleMarker), kProcessAttach, nullptr);
}

}  // namespace

#endif

}  // namespace tallyra
