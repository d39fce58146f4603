// The module's entry routine and the one module-wide value that it keeps: the
// module's instance handle. The tables that the host is handed are constant
// data made from the catalogue when the module is compiled
// (extension/Catalogue.h), so the routine builds nothing and allocates nothing.
//
// The routine runs on every notification of the platform's loader (on Windows
// it is DllMain; on Linux it runs once, at load, with reason 1).
#ifndef TALLYRA_EXTENSION_ENTRYROUTINE_H_
#define TALLYRA_EXTENSION_ENTRYROUTINE_H_

#include "platform/Win32.h"

namespace tallyra {

// Reason codes of the loader's notifications.
constexpr DWORD kProcessDetach = 0;
constexpr DWORD kProcessAttach = 1;

// On process attach keeps `module`. Returns 1.
int ModuleEntry(HINSTANCE module, DWORD reason, void* reserved);

// The handle kept at process attach, or null before it.
HINSTANCE ModuleInstance();

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_ENTRYROUTINE_H_
