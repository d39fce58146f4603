// The codes of the object's operations: each one's position among the
// operations of its kind, which the host stores in an application and passes
// back on every call. A code never changes once released; a new operation
// takes the next code of its kind (before kCount).
//
// The catalogue (extension/Catalogue.cpp) describes the operation of each
// code; the module, the simulated host's tests, the fuzzers and the
// benchmarks name operations by these codes only.
#ifndef TALLYRA_ABI_OPERATIONCODES_H_
#define TALLYRA_ABI_OPERATIONCODES_H_

#include <cstdint>

#include "abi/KindArray.h"
#include "abi/Operations.h"

namespace tallyra {

enum class ConditionCode : uint16_t {
  kEqual,      // "%o: %0 == %1"
  kOnTrigger,  // "%o : On trigger"
  kCount
};

enum class ActionCode : uint16_t {
  kTrigger,
  kDummy,
  kAppendText,
  kAppendNumber,
  kFirstSubset,
  kNextSubset,
  kDefineFormula,
  kDefineMapped,
  kDefineSubsequence,
  kDefineMappedPair,
  kDefineFiltered,
  kListObjectToSet,
  kSetToListObject,
  kCount
};

enum class ExpressionCode : uint16_t {
  kLength,
  kElementAtStr,
  kElementAt,
  kListSum,
  kAsString,
  kBinomial,
  kCount
};

// The code as the host passes it.
constexpr int CodeOf(ConditionCode code) { return static_cast<int>(code); }
constexpr int CodeOf(ActionCode code) { return static_cast<int>(code); }
constexpr int CodeOf(ExpressionCode code) { return static_cast<int>(code); }

// The kind that a code belongs to.
constexpr OperationKind KindOf(ConditionCode) { return OperationKind::kCondition; }
constexpr OperationKind KindOf(ActionCode) { return OperationKind::kAction; }
constexpr OperationKind KindOf(ExpressionCode) { return OperationKind::kExpression; }

// The number of operations of a kind.
constexpr std::size_t OperationCount(OperationKind kind) {
  constexpr KindArray<std::size_t> kCounts = {
      {CodeOf(ConditionCode::kCount), CodeOf(ActionCode::kCount), CodeOf(ExpressionCode::kCount)}};
  return kCounts[kind];
}

// The operation's menu id (abi/Operations.h).
template <typename Code>
constexpr uint16_t MenuIdOf(Code code) {
  return MenuIdOf(KindOf(code), static_cast<std::size_t>(CodeOf(code)));
}

}  // namespace tallyra

#endif  // TALLYRA_ABI_OPERATIONCODES_H_
