// The bodies of the object's 21 operations and of instance creation and
// teardown. Each routine runs one call from the host: it fetches all its
// parameters first (fetching one may call back into the object), then works
// on the instance's store, charging what it reads to the call's WorkBudget,
// and hands back its result through HostServices only. The registry wraps
// each in the host's calling form, gives it a budget of its own, and keeps
// every exception from crossing into the host.
#ifndef TALLYRA_RUNTIME_ROUTINES_H_
#define TALLYRA_RUNTIME_ROUTINES_H_

#include <cstdint>

#include "extension/RunData.h"
#include "lists/WorkBudget.h"
#include "runtime/HostServices.h"

// Instances (CreateRunObject, DestroyRunObject).
void CreateInstance(RunData& run);
void DestroyInstance(RunData& run);

// Conditions: 1 when the condition holds, else 0.
int32_t ConditionEqual(RunData& run, HostServices& host, WorkBudget& budget);  // 0 "%o: %0 == %1"
int32_t ConditionOnTrigger(RunData& run, HostServices& host,
                           WorkBudget& budget);  // 1 "%o : On trigger"

// Actions.
void ActionTrigger(RunData& run, HostServices& host, WorkBudget& budget);            // 0
void ActionDummy(RunData& run, HostServices& host, WorkBudget& budget);              // 1
void ActionAppendText(RunData& run, HostServices& host, WorkBudget& budget);         // 2
void ActionAppendNumber(RunData& run, HostServices& host, WorkBudget& budget);       // 3
void ActionFirstSubset(RunData& run, HostServices& host, WorkBudget& budget);        // 4
void ActionNextSubset(RunData& run, HostServices& host, WorkBudget& budget);         // 5
void ActionDefineFormula(RunData& run, HostServices& host, WorkBudget& budget);      // 6
void ActionDefineMapped(RunData& run, HostServices& host, WorkBudget& budget);       // 7
void ActionDefineSubsequence(RunData& run, HostServices& host, WorkBudget& budget);  // 8
void ActionDefineMappedPair(RunData& run, HostServices& host, WorkBudget& budget);   // 9
void ActionDefineFiltered(RunData& run, HostServices& host, WorkBudget& budget);     // 10
void ActionListObjectToSet(RunData& run, HostServices& host, WorkBudget& budget);    // 11
void ActionSetToListObject(RunData& run, HostServices& host, WorkBudget& budget);    // 12

// Expressions: the 32-bit result; a text or float result marks itself through
// HostServices::MarkResult. handle is the one the host passed.
HostWord ExpressionLength(RunData& run, HostServices& host, HostWord handle,
                          WorkBudget& budget);  // 0
HostWord ExpressionElementAtStr(RunData& run, HostServices& host, HostWord handle,
                                WorkBudget& budget);  // 1
HostWord ExpressionElementAt(RunData& run, HostServices& host, HostWord handle,
                             WorkBudget& budget);  // 2
HostWord ExpressionListSum(RunData& run, HostServices& host, HostWord handle,
                           WorkBudget& budget);  // 3
HostWord ExpressionAsString(RunData& run, HostServices& host, HostWord handle,
                            WorkBudget& budget);  // 4
HostWord ExpressionBinomial(RunData& run, HostServices& host, HostWord handle,
                            WorkBudget& budget);  // 5

#endif  // TALLYRA_RUNTIME_ROUTINES_H_
