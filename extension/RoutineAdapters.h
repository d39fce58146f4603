// Routine adapters: turn each routine body of runtime/Routines.h into the form
// in which the host calls it through the routine tables (abi/HostAbi.h).
//
// An adapter serves the body with the instance's store, a HeaderHostPort over
// the record that the host passed and a WorkBudget of the call's own (a call
// that the host nests inside another gets its own too); an expression's
// adapter first makes the instance's next parameter read its first, and
// answers the result that the body handed to the port. No exception crosses
// into the host: on any exception, when the instance was never built
// (CreateRunObject failed), and when an expression hands back nothing, the
// adapter answers the neutral value of its kind: a condition 0, an action 0,
// an expression according to its result kind an integer 0, the float 0.0 with
// the float bit, or the address of a module-constant empty text with the text
// bit. Each adapter gives the host back the floating-point flags that the
// formulas' meter clears (formula/SubnormalMeter.h).
#ifndef TALLYRA_EXTENSION_ROUTINEADAPTERS_H_
#define TALLYRA_EXTENSION_ROUTINEADAPTERS_H_

#include "abi/HostAbi.h"
#include "extension/ExpressionParamReader.h"
#include "extension/HeaderHostPort.h"
#include "extension/RunData.h"
#include "formula/SubnormalMeter.h"
#include "lists/WorkBudget.h"
#include "runtime/HostPort.h"

namespace tallyra {

// The kind of value that an expression hands back.
enum class ExpressionResult { kInteger, kFloat, kText };

// The empty text that text expressions answer when they fail. It is the
// module's own and needs no host memory.
inline constexpr char kNeutralText[1] = "";

#ifdef TALLYRA_TEST_HOOKS
// Test hooks (cmake/TestHooks.cmake), in programs that link the module's code
// into their own and are built with them; the module has neither, and its
// calls get WorkBudget::kPerCall and tell no one.
//
// The allowance of the budget that each call gets, normally
// WorkBudget::kPerCall. Fuzzers lower it, so that every input of many calls
// stays quick.
inline uint64_t& PerCallAllowanceForTesting() {
  static uint64_t allowance = WorkBudget::kPerCall;
  return allowance;
}

// For the cost audit (bench/CostAudit.cpp): told when each call begins, and
// when it ends, with the units that the call's budget was charged.
class CallObserver {
 public:
  virtual ~CallObserver() = default;
  virtual void Began() = 0;
  virtual void Ended(uint64_t charged) = 0;
};
inline CallObserver*& CallObserverForTesting() {
  static CallObserver* observer = nullptr;
  return observer;
}
#endif

namespace adapter_internal {

#ifdef TALLYRA_TEST_HOOKS
inline uint64_t CallAllowance() { return PerCallAllowanceForTesting(); }

// Tells the observer, when there is one, of one call: its beginning at once,
// its end, with what budget was charged, when it goes.
class ObservedCall {
 public:
  explicit ObservedCall(const WorkBudget& budget)
      : budget_(budget), allowance_(budget.remaining()), observer_(CallObserverForTesting()) {
    if (observer_ != nullptr) observer_->Began();
  }
  ObservedCall(const ObservedCall&) = delete;
  ObservedCall& operator=(const ObservedCall&) = delete;
  ~ObservedCall() {
    if (observer_ != nullptr) observer_->Ended(allowance_ - budget_.remaining());
  }

 private:
  const WorkBudget& budget_;
  const uint64_t allowance_;
  CallObserver* const observer_;
};
#else
constexpr uint64_t CallAllowance() { return WorkBudget::kPerCall; }

// Without the hooks, a call is observed by no one.
class ObservedCall {
 public:
  explicit ObservedCall(const WorkBudget&) {}
  ObservedCall(const ObservedCall&) = delete;
  ObservedCall& operator=(const ObservedCall&) = delete;
};
#endif

using ConditionBody = int32_t (*)(SetStore&, HostPort&, WorkBudget&);
using ActionBody = void (*)(SetStore&, HostPort&, WorkBudget&);
using ExpressionBody = void (*)(SetStore&, HostPort&, WorkBudget&);

// The instance behind a header, or null when the host passed none or the
// instance was never built.
inline RunData* InstanceOf(HostObjectHeader* header) {
  if (header == nullptr) return nullptr;
  RunData* run = reinterpret_cast<RunData*>(header);
  if (run->reader == nullptr || run->store == nullptr) return nullptr;
  return run;
}

// Leaves exactly the result bit of the result kind in the flags word (none
// for an integer): clears whatever the body set before it failed, and what a
// call nested in the body set (the host works out an expression parameter,
// calling the object again, while the body fetches it).
inline void MarkResultKind(HostObjectHeader* header, ExpressionResult kind) {
  if (header == nullptr) return;
  header->flags &= static_cast<uint16_t>(~(kResultFloat | kResultText));
  if (kind == ExpressionResult::kFloat) header->flags |= kResultFloat;
  if (kind == ExpressionResult::kText) header->flags |= kResultText;
}

// The neutral answer of an expression, marked as its result kind.
inline HostWord NeutralExpressionResult(HostObjectHeader* header, ExpressionResult kind) {
  MarkResultKind(header, kind);
  switch (kind) {
    case ExpressionResult::kInteger:
      return 0;
    case ExpressionResult::kFloat:
      return 0;  // the 32 bits of 0.0f
    case ExpressionResult::kText:
      break;
  }
  return reinterpret_cast<HostWord>(kNeutralText);
}

}  // namespace adapter_internal

template <adapter_internal::ConditionBody Body>
int32_t TLY_CALL ConditionAdapter(HostObjectHeader* header, HostWord, HostWord) {
  SubnormalMeter::HostFlagsKept host_flags;
  try {
    RunData* run = adapter_internal::InstanceOf(header);
    if (run == nullptr) return 0;
    WorkBudget budget(adapter_internal::CallAllowance());
    adapter_internal::ObservedCall observed(budget);
    HeaderHostPort host(*run, budget);
    return Body(*run->store, host, budget);
  } catch (...) {
    return 0;
  }
}

template <adapter_internal::ActionBody Body>
uint16_t TLY_CALL ActionAdapter(HostObjectHeader* header, HostWord, HostWord) {
  SubnormalMeter::HostFlagsKept host_flags;
  try {
    RunData* run = adapter_internal::InstanceOf(header);
    if (run == nullptr) return 0;
    WorkBudget budget(adapter_internal::CallAllowance());
    adapter_internal::ObservedCall observed(budget);
    HeaderHostPort host(*run, budget);
    Body(*run->store, host, budget);
  } catch (...) {
  }
  return 0;
}

template <adapter_internal::ExpressionBody Body, ExpressionResult Kind>
HostWord TLY_CALL ExpressionAdapter(HostObjectHeader* header, HostWord handle) {
  SubnormalMeter::HostFlagsKept host_flags;
  try {
    RunData* run = adapter_internal::InstanceOf(header);
    if (run == nullptr) return adapter_internal::NeutralExpressionResult(header, Kind);
    // The result bits describe this call's answer only.
    header->flags &= static_cast<uint16_t>(~(kResultFloat | kResultText));
    ResetReader(*run->reader);  // the next read is this expression's first
    WorkBudget budget(adapter_internal::CallAllowance());
    adapter_internal::ObservedCall observed(budget);
    HeaderHostPort host(*run, budget, handle);
    Body(*run->store, host, budget);
    if (!host.has_result()) return adapter_internal::NeutralExpressionResult(header, Kind);
    adapter_internal::MarkResultKind(header, Kind);  // this call's mark, not a nested call's
    return host.result();
  } catch (...) {
    return adapter_internal::NeutralExpressionResult(header, Kind);
  }
}

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_ROUTINEADAPTERS_H_
