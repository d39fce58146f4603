// The module's 21 operations as the host must see them: kind, code, display
// string, flags, parameter type codes and titles, in registration order.
#ifndef TALLYRA_TESTS_CATALOGUE_H_
#define TALLYRA_TESTS_CATALOGUE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/HostValues.h"

using tallyra::simhost::OperationKind;

struct CataloguedOperation {
  OperationKind kind;
  int code;
  std::string display;
  uint16_t flags;
  std::vector<uint16_t> types;
  std::vector<std::string> titles;
};

inline const std::vector<CataloguedOperation>& Catalogue() {
  constexpr OperationKind C = OperationKind::kCondition;
  constexpr OperationKind A = OperationKind::kAction;
  constexpr OperationKind E = OperationKind::kExpression;
  static const std::string kListObject = "List Object Name (Case sensitive. And get it right!)";
  static const std::vector<CataloguedOperation> operations = {
      {C, 0, "%o: %0 == %1", 0x220, {22, 22}, {"First number", "Second number"}},
      {C, 1, "%o : On trigger", 0, {}, {}},
      {A, 0, "Trigger condition", 0, {}, {}},
      {A, 1, "Dummy action", 0, {}, {}},
      {A,
       2,
       "Append element %1 to set %0",
       0,
       {45, 45},
       {"Set to add to", "Element to add (String)"}},
      {A,
       3,
       "Append element %1 to set %0",
       0,
       {45, 22},
       {"Set to add to", "Element to add (Value)"}},
      {A,
       4,
       "Get first %1-subset of %0 and put it in %2",
       0,
       {45, 22, 45},
       {"Set to find subsets of", "Size of subsets to find", "Destination set"}},
      {A, 5, "Get next subset in %0", 0, {45}, {"Set Name"}},
      {A,
       6,
       "Define list %0 by the formula %1",
       0,
       {45, 45},
       {"Set Name", "Formula (n is free variable)"}},
      {A,
       7,
       "Define mapped list %2 by the formula %1 on elements of %0",
       0,
       {45, 45, 45},
       {"Set Name to base upon", "Formula (x is the current value as a number, n is the index)",
        "Set Name to store to"}},
      {A,
       8,
       "Define %2 to be the subsequence of %0 by the formula %1",
       0,
       {45, 45, 45},
       {"Set Name to base upon", "Formula (n is the index)", "Set Name to store to"}},
      {A,
       9,
       "Define mapped list %3 by the formula %2 on elements of %0 and %1",
       0,
       {45, 45, 45, 45},
       {"First set name to base upon", "Second set name to base upon",
        "Formula (n is the index, a is the first set element, b is the second set element)",
        "Set Name to store to"}},
      {A,
       10,
       "Define %2 to be the result of applying the filter %1 to the set %0",
       0,
       {45, 45, 45},
       {"List name to base upon",
        "Formula (n is the index, x is the element value. If non-zero then 'true')",
        "List Name to store to"}},
      {A, 11, "Put the contence of List %1 into %0", 0, {45, 45}, {"Set Name", kListObject}},
      {A,
       12,
       "Put the content of %0 into list %1 (Max Len: %2)",
       0,
       {45, 45, 22},
       {"Set Name", kListObject, "Max Items to add"}},
      {E, 0, "Length(", 0, {3}, {"List ID"}},
      {E, 1, "ElementAtStr$(", 1, {3, 1}, {"List ID", "Element Index"}},
      {E, 2, "ElementAt(", 2, {3, 1}, {"List ID", "Element Index"}},
      {E, 3, "ListSum(", 2, {3}, {"List ID"}},
      {E, 4, "asString$(", 1, {3, 1}, {"List ID", "Max length of list"}},
      {E, 5, "BinomialCoefficient(", 2, {2, 2}, {"n", "m"}},
  };
  return operations;
}

// The menu id of an operation: 26000, 25000 or 27000 + 10 * code.
inline uint16_t MenuIdOf(OperationKind kind, int code) {
  const int base = kind == OperationKind::kCondition ? 26000
                   : kind == OperationKind::kAction  ? 25000
                                                     : 27000;
  return static_cast<uint16_t>(base + 10 * code);
}

#endif  // TALLYRA_TESTS_CATALOGUE_H_
