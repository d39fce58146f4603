// The bodies of the object's operations (one for each row of the catalogue,
// extension/Catalogue.h) and of instance creation and teardown. Each routine runs one call from the
// host on one instance's store: it fetches all its parameters first (fetching one may call back
// into the object), then works on the store, charging what it reads to the call's WorkBudget, and
// hands back its result through the HostPort only. The boundary wraps each in the host's calling
// form, gives it a port and a budget of its own, and keeps every exception from crossing into the
// host.
#ifndef TALLYRA_RUNTIME_ROUTINES_H_
#define TALLYRA_RUNTIME_ROUTINES_H_

#include <cstdint>
#include <memory>

#include "lists/WorkBudget.h"
#include "runtime/HostPort.h"

namespace tallyra {

class SetStore;

// A new instance's store: empty but for the prime list under its three names.
std::unique_ptr<SetStore> CreateInstanceStore();

// Conditions: 1 when the condition holds, else 0.
int32_t ConditionEqual(SetStore& store, HostPort& host, WorkBudget& budget);
int32_t ConditionOnTrigger(SetStore& store, HostPort& host, WorkBudget& budget);

// Actions.
void ActionTrigger(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionDummy(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionAppendText(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionAppendNumber(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionFirstSubset(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionNextSubset(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionDefineFormula(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionDefineMapped(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionDefineSubsequence(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionDefineMappedPair(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionDefineFiltered(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionListObjectToSet(SetStore& store, HostPort& host, WorkBudget& budget);
void ActionSetToListObject(SetStore& store, HostPort& host, WorkBudget& budget);

// Expressions: each hands its result to the port (a text, an integer or a
// float).
void ExpressionLength(SetStore& store, HostPort& host, WorkBudget& budget);
void ExpressionElementAtStr(SetStore& store, HostPort& host, WorkBudget& budget);
void ExpressionElementAt(SetStore& store, HostPort& host, WorkBudget& budget);
void ExpressionListSum(SetStore& store, HostPort& host, WorkBudget& budget);
void ExpressionAsString(SetStore& store, HostPort& host, WorkBudget& budget);
void ExpressionBinomial(SetStore& store, HostPort& host, WorkBudget& budget);

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_ROUTINES_H_
