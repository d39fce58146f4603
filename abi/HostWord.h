// The word that the host and the module exchange where a value may be an address:
// a text parameter, a text result, a routine's answer. It is 32 bits wide on
// 32-bit Windows, where the host lives, and pointer-sized on 64-bit builds.
#ifndef TALLYRA_ABI_HOSTWORD_H_
#define TALLYRA_ABI_HOSTWORD_H_

#include <cstdint>

namespace tallyra {

using HostWord = std::uintptr_t;

}  // namespace tallyra

#endif  // TALLYRA_ABI_HOSTWORD_H_
