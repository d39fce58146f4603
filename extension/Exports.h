// Declarations of the module's 73 exports, made from the list in
// abi/HostAbi.h so that every definition has exactly the signature that the
// host calls. Each export has C linkage and the boundary's calling convention,
// and none lets an exception out.
#ifndef TALLYRA_EXTENSION_EXPORTS_H_
#define TALLYRA_EXTENSION_EXPORTS_H_

#include "abi/HostAbi.h"

#define TALLYRA_DECLARE_EXPORT(name, result, params) TLY_EXPORT result TLY_CALL name params;

namespace tallyra {

extern "C" {
TALLYRA_EXPORTS(TALLYRA_DECLARE_EXPORT)
}
#undef TALLYRA_DECLARE_EXPORT

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_EXPORTS_H_
