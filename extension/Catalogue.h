// The catalogue: every operation of the object, one constant row each, in
// code order per kind (abi/OperationCodes.h names the codes). A row holds
// what the host is told of the operation (display string, flags, parameter
// types and titles), where its item goes in the editor's menu, and the
// routine that the host calls for it, in the host's calling form. Everything
// else is made from the rows when the module is compiled: the information
// arrays, the routine tables, the menus and the editor's texts, and outside
// the module the fuzzer's parameters and the script language of tallyra
// (which reads them back through the exports). tests/scripts/describe.out
// pins what the host sees of them.
//
// Adding an operation touches exactly: its code in abi/OperationCodes.h, its
// row in Catalogue.cpp, its routine in runtime/ with its test, its section in
// doc/authors-guide.md, and tests/scripts/describe.out, regenerated with
// `tallyra describe`. The tables, menus, editor texts, the fuzzer and
// tallyra's language follow from the row. (An expression also shows in the
// lists that tallyra's language tests pin as an author sees them: the
// expressions named when none is recognised, and the completions after
// `print `.)
#ifndef TALLYRA_EXTENSION_CATALOGUE_H_
#define TALLYRA_EXTENSION_CATALOGUE_H_

#include <cstddef>
#include <cstdint>

#include "abi/HostAbi.h"
#include "abi/KindArray.h"
#include "abi/Operations.h"
#include "editor/Menus.h"

namespace tallyra {

// The most parameters that an operation takes.
constexpr std::size_t kMaxParams = 4;

// What a parameter stands for, beyond its type. The host is not told; tools
// that make calls of their own (the fuzzer) pick values by it.
enum class ParamMeaning : uint8_t {
  kSetName,
  kFormula,
  kElement,         // an element's text
  kListObjectName,  // the name of a List object of the host
  kNumber,
  kIndex,    // an element's index
  kMaximum,  // the most elements or characters
};

// One parameter: its type code, its title (a constant text, never copied) and
// what it stands for.
struct Param {
  uint16_t type = 0;
  const char* title = nullptr;
  ParamMeaning meaning = ParamMeaning::kNumber;
};

struct OperationEntry {
  int code = 0;
  const char* display = nullptr;
  uint16_t flags = 0;
  Param params[kMaxParams] = {};  // the first param_count are the operation's
  std::size_t param_count = 0;
  MenuPlace menu;  // no text: the operation has no menu item
  // The routine of the row's kind; the other two are null.
  ConditionRoutine condition = nullptr;
  ActionRoutine action = nullptr;
  ExpressionRoutine expression = nullptr;
};

// The rows of one kind, in code order.
struct OperationRows {
  const OperationEntry* rows;
  std::size_t count;

  constexpr std::size_t size() const { return count; }
  constexpr const OperationEntry& operator[](std::size_t code) const { return rows[code]; }
  constexpr const OperationEntry* begin() const { return rows; }
  constexpr const OperationEntry* end() const { return rows + count; }
};

OperationRows CatalogueOf(OperationKind kind);

// The row of `code` among the kind's operations, or null when no operation of
// the kind has that code.
const OperationEntry* FindOperation(OperationKind kind, long long code);

// A kind's information array (extension/InfoArray.h): `records` records, one
// per row, constant data of the module.
struct InfoArrayView {
  const uint16_t* words;
  std::size_t records;
};
InfoArrayView InfoArrayOf(OperationKind kind);

// The routine tables (extension/RoutineTable.h), constant data of the module.
struct RoutineTables {
  const ConditionRoutine* conditions;
  const ActionRoutine* actions;
  const ExpressionRoutine* expressions;
};
const RoutineTables& RoutineTablesOfModule();

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_CATALOGUE_H_
