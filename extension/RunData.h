// RunData: the per-instance block that the host allocates (192 bytes) and
// passes to every routine. It begins with the host's object header and ends
// with the instance's two fields of this module's own, which CreateRunObject
// sets (both null when making the instance failed) and DestroyRunObject
// releases. Only the boundary reads it; the routines see the store alone.
#ifndef TALLYRA_EXTENSION_RUNDATA_H_
#define TALLYRA_EXTENSION_RUNDATA_H_

#include "abi/HostAbi.h"

namespace tallyra {

struct ExpressionParamReader;
class SetStore;

struct RunData {
  HostObjectHeader header;        // the host's
  ExpressionParamReader* reader;  // owned by the instance
  SetStore* store;                // owned by the instance
};
static_assert(sizeof(RunData) == kRunDataSize, "the host allocates 192 bytes per instance");

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_RUNDATA_H_
