// A module that exports only GetInfos, for the test of the simulated host's
// loading.
#include "abi/HostAbi.h"

extern "C" __attribute__((visibility("default"))) HostWord TLY_CALL GetInfos(HostWord) { return 0; }
