// Routine tables: for each kind, the catalogue rows' routines in code order
// followed by one null entry, made at compile time. The host calls an
// operation through the table of its kind, with the code as index.
#ifndef TALLYRA_EXTENSION_ROUTINETABLE_H_
#define TALLYRA_EXTENSION_ROUTINETABLE_H_

#include <array>
#include <cstddef>

#include "extension/Catalogue.h"

namespace tallyra {

template <typename Routine, std::size_t N>
constexpr std::array<Routine, N + 1> MakeRoutineTable(const OperationEntry (&rows)[N],
                                                      Routine OperationEntry::*field) {
  std::array<Routine, N + 1> table{};  // the last entry stays null
  for (std::size_t code = 0; code < N; ++code) table[code] = rows[code].*field;
  return table;
}

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_ROUTINETABLE_H_
