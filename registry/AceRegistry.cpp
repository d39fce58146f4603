#include "registry/AceRegistry.h"

AceRegistry& RegistryOf(AceKind kind) {
  static AceRegistry conditions;
  static AceRegistry actions;
  static AceRegistry expressions;
  switch (kind) {
    case AceKind::kCondition:
      return conditions;
    case AceKind::kAction:
      return actions;
    case AceKind::kExpression:
      break;
  }
  return expressions;
}

const AceDescriptor* FindDescriptor(AceKind kind, long long code) {
  const AceRegistry& registry = RegistryOf(kind);
  if (code < 0 || static_cast<unsigned long long>(code) >= registry.size()) return nullptr;
  return registry[static_cast<std::size_t>(code)];
}
