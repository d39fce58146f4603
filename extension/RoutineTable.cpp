#include "extension/RoutineTable.h"

namespace {

template <typename Routine>
std::vector<Routine> BuildTable(const AceRegistry& registry, Routine AceDescriptor::*field) {
  std::vector<Routine> table;
  table.reserve(registry.size() + 1);
  for (const AceDescriptor* descriptor : registry) table.push_back(descriptor->*field);
  table.push_back(nullptr);
  return table;
}

}  // namespace

std::vector<ConditionRoutine> BuildConditionTable(const AceRegistry& registry) {
  return BuildTable(registry, &AceDescriptor::conditionRoutine);
}

std::vector<ActionRoutine> BuildActionTable(const AceRegistry& registry) {
  return BuildTable(registry, &AceDescriptor::actionRoutine);
}

std::vector<ExpressionRoutine> BuildExpressionTable(const AceRegistry& registry) {
  return BuildTable(registry, &AceDescriptor::expressionRoutine);
}
