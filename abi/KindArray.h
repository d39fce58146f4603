// KindArray<T>: one T per kind of operation, indexed by OperationKind, in the
// kinds' order (conditions, actions, expressions). It stands where a choice
// between three values or fields would otherwise be spelt out at each use.
// Plain aggregate data: constexpr where T is, and it owns its three values.
#ifndef TALLYRA_ABI_KINDARRAY_H_
#define TALLYRA_ABI_KINDARRAY_H_

#include <cstddef>

#include "abi/OperationKind.h"

namespace tallyra {

template <typename T>
struct KindArray {  // NOLINT(readability-identifier-naming): the copy of values
  T values[kOperationKindCount];

  constexpr T& operator[](OperationKind kind) { return values[static_cast<std::size_t>(kind)]; }
  constexpr const T& operator[](OperationKind kind) const {
    return values[static_cast<std::size_t>(kind)];
  }
  constexpr T* begin() { return values; }
  constexpr T* end() { return values + kOperationKindCount; }
  constexpr const T* begin() const { return values; }
  constexpr const T* end() const { return values + kOperationKindCount; }
};

}  // namespace tallyra

#endif  // TALLYRA_ABI_KINDARRAY_H_
