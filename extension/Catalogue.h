// The catalogue: every operation of the object, one constant row each, in
// code order per kind (abi/OperationCodes.h names the codes). A row holds
// what the host is told of the operation (display string, flags, parameter
// types and titles) and the routine that the host calls for it, in the
// host's calling form. The information arrays, the routine tables and the
// editor's texts are all made from these rows; tests/scripts/describe.out
// pins what the host sees of them.
//
// Adding an operation: a code in abi/OperationCodes.h, a row in Catalogue.cpp,
// its routine in runtime/, an item in editor/Menus.cpp and its lines in the
// describe transcript.
#ifndef TALLYRA_EXTENSION_CATALOGUE_H_
#define TALLYRA_EXTENSION_CATALOGUE_H_

#include <cstddef>
#include <cstdint>

#include "abi/HostAbi.h"
#include "abi/Operations.h"

namespace tallyra {

// The most parameters that an operation takes.
constexpr std::size_t kMaxParams = 4;

// One parameter: its type code and its title (a constant text, never copied).
struct Param {
  uint16_t type = 0;
  const char* title = nullptr;
};

struct OperationEntry {
  int code = 0;
  const char* display = nullptr;
  uint16_t flags = 0;
  Param params[kMaxParams] = {};  // the first paramCount are the operation's
  std::size_t paramCount = 0;
  // The routine of the row's kind; the other two are null.
  ConditionRoutine condition = nullptr;
  ActionRoutine action = nullptr;
  ExpressionRoutine expression = nullptr;
};

// The rows of one kind, in code order.
struct OperationRows {
  const OperationEntry* rows;
  std::size_t count;

  std::size_t size() const { return count; }
  const OperationEntry& operator[](std::size_t code) const { return rows[code]; }
  const OperationEntry* begin() const { return rows; }
  const OperationEntry* end() const { return rows + count; }
};

OperationRows CatalogueOf(OperationKind kind);

// The row of `code` among the kind's operations, or null when no operation of
// the kind has that code.
const OperationEntry* FindOperation(OperationKind kind, long long code);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_CATALOGUE_H_
