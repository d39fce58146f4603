// Weak do-nothing definitions of every export, for the test modules that
// define only the exports they need (a strong definition replaces its stub).
#include "abi/HostAbi.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace tallyra {

namespace {
template <typename T>
T Nothing() {
  return T{};
}
template <>
void Nothing<void>() {}
}  // namespace

#define TALLYRA_EXPORT_STUB(name, result, params)                                       \
  extern "C" __attribute__((weak, visibility("default"))) result TLY_CALL name params { \
    return Nothing<result>();                                                           \
  }
TALLYRA_EXPORTS(TALLYRA_EXPORT_STUB)
#undef TALLYRA_EXPORT_STUB

}  // namespace tallyra
