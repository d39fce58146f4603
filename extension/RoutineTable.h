// Routine tables: for each kind, the descriptors' routines in code order
// followed by one null entry. The host calls an operation through the table of
// its kind, with the code as index.
#ifndef TALLYRA_EXTENSION_ROUTINETABLE_H_
#define TALLYRA_EXTENSION_ROUTINETABLE_H_

#include <vector>

#include "extension/AceRegistry.h"

std::vector<ConditionRoutine> BuildConditionTable(const AceRegistry& registry);
std::vector<ActionRoutine> BuildActionTable(const AceRegistry& registry);
std::vector<ExpressionRoutine> BuildExpressionTable(const AceRegistry& registry);

#endif  // TALLYRA_EXTENSION_ROUTINETABLE_H_
