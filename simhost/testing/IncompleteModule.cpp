// A module that exports only GetInfos, for the test of the simulated host's
// loading.
#include "abi/HostAbi.h"

namespace tallyra {

extern "C" __attribute__((visibility("default"))) HostWord TLY_CALL GetInfos(HostWord) { return 0; }

}  // namespace tallyra
