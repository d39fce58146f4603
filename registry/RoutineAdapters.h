// Routine adapters: turn each routine body of runtime/Routines.h into the form
// in which the host calls it through the routine tables (host/HostAbi.h).
//
// An adapter serves the body with HeaderHostServices over the header that the
// host passed and a WorkBudget of the call's own (a call that the host nests
// inside another gets its own too), and never lets an exception cross into
// the host: on any exception, and when the instance was
// never built (CreateRunObject failed), it answers the neutral value of its
// kind: a condition 0, an action 0, an expression according to its result
// kind an integer 0, the float 0.0 with the float bit, or the address of a
// module-constant empty text with the text bit.
#ifndef TALLYRA_REGISTRY_ROUTINEADAPTERS_H_
#define TALLYRA_REGISTRY_ROUTINEADAPTERS_H_

#include "host/HeaderHostServices.h"
#include "host/HostAbi.h"
#include "lists/WorkBudget.h"
#include "runtime/RunData.h"

// The kind of value that an expression hands back.
enum class ExpressionResult { kInteger, kFloat, kText };

// The empty text that text expressions answer when they fail. It is the
// module's own and needs no host memory.
inline constexpr char kNeutralText[1] = "";

// For tests only: the allowance of the budget that each call gets, normally
// WorkBudget::kPerCall. Fuzzers that link the module's code into their own
// program lower it, so that every input of many calls stays quick.
inline uint64_t& PerCallAllowanceForTesting() {
  static uint64_t allowance = WorkBudget::kPerCall;
  return allowance;
}

namespace adapter_internal {

using ConditionBody = int32_t (*)(RunData&, HostServices&, WorkBudget&);
using ActionBody = void (*)(RunData&, HostServices&, WorkBudget&);
using ExpressionBody = HostWord (*)(RunData&, HostServices&, HostWord, WorkBudget&);

// The instance behind a header, or null when the host passed none or the
// instance was never built.
inline RunData* InstanceOf(HostObjectHeader* header) {
  if (header == nullptr) return nullptr;
  RunData* run = reinterpret_cast<RunData*>(header);
  if (run->reader == nullptr || run->store == nullptr) return nullptr;
  return run;
}

// The neutral answer of an expression: clears the result bits that the body
// may have set before it failed and sets the one of the result kind.
inline HostWord NeutralExpressionResult(HostObjectHeader* header, ExpressionResult kind) {
  if (header != nullptr) header->flags &= static_cast<uint16_t>(~(kResultFloat | kResultText));
  switch (kind) {
    case ExpressionResult::kInteger:
      return 0;
    case ExpressionResult::kFloat:
      if (header != nullptr) header->flags |= kResultFloat;
      return 0;  // the 32 bits of 0.0f
    case ExpressionResult::kText:
      break;
  }
  if (header != nullptr) header->flags |= kResultText;
  return reinterpret_cast<HostWord>(kNeutralText);
}

}  // namespace adapter_internal

template <adapter_internal::ConditionBody Body>
int32_t TLY_CALL ConditionAdapter(HostObjectHeader* header, HostWord, HostWord) {
  try {
    RunData* run = adapter_internal::InstanceOf(header);
    if (run == nullptr) return 0;
    HeaderHostServices host(header);
    WorkBudget budget(PerCallAllowanceForTesting());
    return Body(*run, host, budget);
  } catch (...) {
    return 0;
  }
}

template <adapter_internal::ActionBody Body>
uint16_t TLY_CALL ActionAdapter(HostObjectHeader* header, HostWord, HostWord) {
  try {
    RunData* run = adapter_internal::InstanceOf(header);
    if (run == nullptr) return 0;
    HeaderHostServices host(header);
    WorkBudget budget(PerCallAllowanceForTesting());
    Body(*run, host, budget);
  } catch (...) {
  }
  return 0;
}

template <adapter_internal::ExpressionBody Body, ExpressionResult Kind>
HostWord TLY_CALL ExpressionAdapter(HostObjectHeader* header, HostWord handle) {
  try {
    RunData* run = adapter_internal::InstanceOf(header);
    if (run == nullptr) return adapter_internal::NeutralExpressionResult(header, Kind);
    // The result bits describe this call's answer only.
    header->flags &= static_cast<uint16_t>(~(kResultFloat | kResultText));
    HeaderHostServices host(header);
    WorkBudget budget(PerCallAllowanceForTesting());
    return Body(*run, host, handle, budget);
  } catch (...) {
    return adapter_internal::NeutralExpressionResult(header, Kind);
  }
}

#endif  // TALLYRA_REGISTRY_ROUTINEADAPTERS_H_
