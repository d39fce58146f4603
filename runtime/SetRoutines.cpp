// The conditions, the trigger, dummy and appending actions, and the
// expressions that read sets.
#include <cmath>
#include <cstdint>
#include <string>

#include "abi/HostAbi.h"
#include "lists/ConcreteList.h"
#include "runtime/Appending.h"
#include "runtime/Binomial.h"
#include "runtime/RoutineIo.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "runtime/TextForm.h"

namespace {

// The number that action 3 appends for a fetched float: truncated toward zero
// to a signed 32-bit integer; outside that range, or not a number, the
// smallest one.
double TruncatedToInteger(float value) {
  constexpr float kTwoTo31 = 2147483648.0f;
  if (std::isnan(value) || value >= kTwoTo31 || value < -kTwoTo31) return INT32_MIN;
  return static_cast<double>(static_cast<int32_t>(value));
}

}  // namespace

int32_t ConditionEqual(RunData&, HostServices& host, WorkBudget&) {
  const int32_t first = FetchInteger(host);
  const int32_t second = FetchInteger(host);
  return first == second ? 1 : 0;
}

int32_t ConditionOnTrigger(RunData&, HostServices&, WorkBudget&) { return 1; }

void ActionTrigger(RunData&, HostServices& host, WorkBudget&) { host.GenerateEvent(1); }

void ActionDummy(RunData&, HostServices&, WorkBudget&) {}

void ActionAppendText(RunData& run, HostServices& host, WorkBudget& budget) {
  const std::string setName = FetchText(host);
  const std::string text = FetchText(host);
  AppendToSet(StoreOf(run), setName, budget, [&](ConcreteList& list) { list.AppendText(text); });
}

void ActionAppendNumber(RunData& run, HostServices& host, WorkBudget& budget) {
  const std::string setName = FetchText(host);
  const double value = TruncatedToInteger(FetchFloat(host));
  AppendToSet(StoreOf(run), setName, budget, [&](ConcreteList& list) { list.AppendNumber(value); });
}

HostWord ExpressionLength(RunData& run, HostServices& host, HostWord handle, WorkBudget&) {
  BeginExpression(run);
  const std::string setName = ReadTextParam(run, host, handle);
  const ListRef* set = StoreOf(run).LookUpSet(setName, /*create=*/false);
  return IntegerResult(set == nullptr ? 0 : (*set)->Length());
}

HostWord ExpressionElementAtStr(RunData& run, HostServices& host, HostWord handle,
                                WorkBudget& budget) {
  BeginExpression(run);
  const std::string setName = ReadTextParam(run, host, handle);
  const auto index = static_cast<uint32_t>(ReadIntegerParam(run, host, handle));
  const ListRef* set = StoreOf(run).LookUpSet(setName, /*create=*/false);
  if (set == nullptr) return MissingSetTextResult(host);
  const Element element = (*set)->ElementAt(index, budget);
  // A read that the call's budget cut short answers the empty text.
  return TextResult(host, budget.Spent() ? std::string() : ElementText(element));
}

HostWord ExpressionElementAt(RunData& run, HostServices& host, HostWord handle,
                             WorkBudget& budget) {
  BeginExpression(run);
  const std::string setName = ReadTextParam(run, host, handle);
  const auto index = static_cast<uint32_t>(ReadIntegerParam(run, host, handle));
  const ListRef* set = StoreOf(run).LookUpSet(setName, /*create=*/false);
  double value = set == nullptr ? 0.0 : ElementNumber((*set)->ElementAt(index, budget));
  if (budget.Spent()) value = 0.0;  // the read was cut short
  return FloatResult(host, value);
}

HostWord ExpressionListSum(RunData& run, HostServices& host, HostWord handle, WorkBudget& budget) {
  BeginExpression(run);
  const std::string setName = ReadTextParam(run, host, handle);
  const ListRef* set = StoreOf(run).LookUpSet(setName, /*create=*/false);
  double sum = 0.0;
  if (set == nullptr) return FloatResult(host, sum);
  const int32_t length = (*set)->Length();  // 0 or less (unbounded too): the sum is 0
  if (const ConcreteList* concrete = AsConcreteList(set->get())) {
    // Summed where the elements are stored: every set that can be held is
    // summed within one call's budget.
    for (int32_t i = 0; i < length; ++i) {
      const Element& element = concrete->StoredAt(static_cast<uint32_t>(i));
      // A number has no text: it costs kStoredSum alone.
      if (!budget.Charge(work_cost::kStoredSum + work_cost::TextBytes(element.text.size()))) {
        return FloatResult(host, 0.0);
      }
      sum += element.kind == kElementNumber ? element.number : ElementNumber(element);
    }
  } else {
    for (int32_t i = 0; i < length; ++i) {
      sum += ElementNumber((*set)->ElementAt(static_cast<uint32_t>(i), budget));
      // Too long to sum within the call's budget: no sum, as for an unbounded list.
      if (budget.Spent()) return FloatResult(host, 0.0);
    }
  }
  return FloatResult(host, sum);
}

HostWord ExpressionAsString(RunData& run, HostServices& host, HostWord handle, WorkBudget& budget) {
  BeginExpression(run);
  const std::string setName = ReadTextParam(run, host, handle);
  const int32_t maxLength = ReadIntegerParam(run, host, handle);
  const ListRef* set = StoreOf(run).LookUpSet(setName, /*create=*/false);
  if (set == nullptr) return MissingSetTextResult(host);
  return TextResult(host, SetText(**set, maxLength, budget));
}

HostWord ExpressionBinomial(RunData& run, HostServices& host, HostWord handle, WorkBudget&) {
  BeginExpression(run);
  const int32_t n = ReadIntegerParam(run, host, handle);
  const int32_t k = ReadIntegerParam(run, host, handle);
  return IntegerResult(Binomial(n, k));
}
