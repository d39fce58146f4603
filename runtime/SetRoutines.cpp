// The conditions, the trigger, dummy and appending actions, and the
// expressions that read sets.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "lists/ConcreteList.h"
#include "runtime/Appending.h"
#include "runtime/Binomial.h"
#include "runtime/NumberText.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "runtime/TextForm.h"

namespace tallyra {

namespace {

// The number that ActionAppendNumber appends for a fetched float: truncated toward zero
// to a signed 32-bit integer; outside that range, or not a number, the
// smallest one.
double TruncatedToInteger(float value) {
  constexpr float k_two_to31 = 2147483648.0f;
  if (std::isnan(value) || value >= k_two_to31 || value < -k_two_to31) return INT32_MIN;
  return static_cast<double>(static_cast<int32_t>(value));
}

}  // namespace

int32_t ConditionEqual(SetStore&, HostPort& host, WorkBudget&) {
  const int32_t first = host.NextInteger();
  const int32_t second = host.NextInteger();
  return first == second ? 1 : 0;
}

int32_t ConditionOnTrigger(SetStore&, HostPort&, WorkBudget&) { return 1; }

void ActionTrigger(SetStore&, HostPort& host, WorkBudget&) { host.RaiseCondition(1); }

void ActionDummy(SetStore&, HostPort&, WorkBudget&) {}

void ActionAppendText(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  // A text longer than a copy holds is refused, taken no further than that:
  // no list could hand it on whole, nor a read of it pay for its bytes.
  const std::string text = host.NextTextUpTo(ConcreteList::kMaxCopyBytes);
  AppendToSet(store, set_name, budget, host, [&](ConcreteList& list) {
    if (text.size() > ConcreteList::kMaxCopyBytes) throw std::length_error("the text is too long");
    list.AppendText(text);
  });
}

void ActionAppendNumber(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const double value = TruncatedToInteger(host.NextFloat());
  AppendToSet(store, set_name, budget, host, [&](ConcreteList& list) { list.AppendNumber(value); });
}

void ExpressionLength(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const ListRef* set = store.LookUpSet(set_name, /*create=*/false);
  // 0 when the budget is spent; the weight of any list that is built keeps
  // its length well within a call's budget.
  host.ReturnInteger(set == nullptr ? 0 : (*set)->Length(budget));
}

void ExpressionElementAtStr(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const auto index = static_cast<uint32_t>(host.NextInteger());
  const ListRef* set = store.LookUpSet(set_name, /*create=*/false);
  if (set == nullptr) {
    host.ReturnEmptyText();
    return;
  }
  const Element element = (*set)->ElementAt(index, budget);
  char digits[kNumberTextRoom];
  std::string_view text = ElementTextIn(element, digits);
  // A read that the call's budget cut short, or a text that it cannot pay
  // to hand over, answers the empty text.
  if (budget.Spent() || !budget.Charge(work_cost::NewTextBytes(text.size()))) text = {};
  host.ReturnText(text);
}

void ExpressionElementAt(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const auto index = static_cast<uint32_t>(host.NextInteger());
  const ListRef* set = store.LookUpSet(set_name, /*create=*/false);
  double value = set == nullptr ? 0.0 : (*set)->NumberAt(index, budget);
  if (budget.Spent()) value = 0.0;  // the read was cut short
  host.ReturnFloat(value);
}

void ExpressionListSum(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const ListRef* set = store.LookUpSet(set_name, /*create=*/false);
  double sum = 0.0;
  if (set == nullptr) {
    host.ReturnFloat(sum);
    return;
  }
  // 0 or less (unbounded too, or the budget spent): the sum is 0.
  const int32_t length = (*set)->Length(budget);
  if (const ConcreteList* concrete = AsConcreteList(set->get())) {
    // Summed where the elements are stored: every set that can be held is
    // summed within one call's budget.
    const bool whole = concrete->ForEachRun(
        0, static_cast<uint32_t>(length), [&](const Element* first, uint32_t count) {
          for (uint32_t i = 0; i < count; ++i) {
            const Element& element = first[i];
            if (element.kind() != kElementText) {
              // A number, or None (0).
              if (!budget.Charge(work_cost::kStoredSum)) return false;
              sum += element.kind() == kElementNumber ? element.number() : 0.0;
              continue;
            }
            // A text is charged as its read, and as its reading as a number.
            if (!budget.Charge(ConcreteList::ReadCost(element))) return false;
            sum += ElementNumber(element, budget);
            if (budget.Spent()) return false;
          }
          return true;
        });
    if (!whole) {
      host.ReturnFloat(0.0);
      return;
    }
  } else {
    for (int32_t i = 0; i < length; ++i) {
      sum += (*set)->NumberAt(static_cast<uint32_t>(i), budget);
      // Too long to sum within the call's budget: no sum, as for an unbounded list.
      if (budget.Spent()) {
        host.ReturnFloat(0.0);
        return;
      }
    }
  }
  host.ReturnFloat(sum);
}

void ExpressionAsString(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const int32_t max_length = host.NextInteger();
  const ListRef* set = store.LookUpSet(set_name, /*create=*/false);
  if (set == nullptr) {
    host.ReturnEmptyText();
    return;
  }
  host.ReturnText(SetText(**set, max_length, budget));
}

void ExpressionBinomial(SetStore&, HostPort& host, WorkBudget&) {
  const int32_t n = host.NextInteger();
  const int32_t k = host.NextInteger();
  host.ReturnInteger(Binomial(n, k));
}

}  // namespace tallyra
