#include "extension/RoutineTable.h"

namespace tallyra {

namespace {

template <typename Routine>
std::vector<Routine> BuildTable(OperationRows rows, Routine OperationEntry::*field) {
  std::vector<Routine> table;
  table.reserve(rows.size() + 1);
  for (const OperationEntry& row : rows) table.push_back(row.*field);
  table.push_back(nullptr);
  return table;
}

}  // namespace

std::vector<ConditionRoutine> BuildConditionTable(OperationRows rows) {
  return BuildTable(rows, &OperationEntry::condition);
}

std::vector<ActionRoutine> BuildActionTable(OperationRows rows) {
  return BuildTable(rows, &OperationEntry::action);
}

std::vector<ExpressionRoutine> BuildExpressionTable(OperationRows rows) {
  return BuildTable(rows, &OperationEntry::expression);
}

}  // namespace tallyra
