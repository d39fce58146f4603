// The three registries: for each kind, the registered descriptors in
// registration order. A descriptor's position is its code.
//
// Each registry is a function-local static, made on first use, so descriptors
// may join it from the static initialisation of any file without regard to the
// order in which files are initialised. The registries fill while the module
// loads (RegisterOperations, extension/Registrations.h) and are only read after.
#ifndef TALLYRA_EXTENSION_ACEREGISTRY_H_
#define TALLYRA_EXTENSION_ACEREGISTRY_H_

#include <vector>

#include "extension/AceDescriptor.h"

using AceRegistry = std::vector<const AceDescriptor*>;

AceRegistry& RegistryOf(OperationKind kind);

// The descriptor of `code` in the kind's registry, or null when no operation
// of the kind has that code.
const AceDescriptor* FindDescriptor(OperationKind kind, long long code);

#endif  // TALLYRA_EXTENSION_ACEREGISTRY_H_
