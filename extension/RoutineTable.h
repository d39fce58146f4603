// Routine tables: for each kind, the catalogue rows' routines in code order
// followed by one null entry. The host calls an operation through the table of
// its kind, with the code as index.
#ifndef TALLYRA_EXTENSION_ROUTINETABLE_H_
#define TALLYRA_EXTENSION_ROUTINETABLE_H_

#include <vector>

#include "extension/Catalogue.h"

namespace tallyra {

std::vector<ConditionRoutine> BuildConditionTable(OperationRows rows);
std::vector<ActionRoutine> BuildActionTable(OperationRows rows);
std::vector<ExpressionRoutine> BuildExpressionTable(OperationRows rows);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_ROUTINETABLE_H_
