#include "extension/AceRegistry.h"

AceRegistry& RegistryOf(OperationKind kind) {
  static AceRegistry conditions;
  static AceRegistry actions;
  static AceRegistry expressions;
  switch (kind) {
    case OperationKind::kCondition:
      return conditions;
    case OperationKind::kAction:
      return actions;
    case OperationKind::kExpression:
      break;
  }
  return expressions;
}

const AceDescriptor* FindDescriptor(OperationKind kind, long long code) {
  const AceRegistry& registry = RegistryOf(kind);
  if (code < 0 || static_cast<unsigned long long>(code) >= registry.size()) return nullptr;
  return registry[static_cast<std::size_t>(code)];
}
