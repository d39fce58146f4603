#include "extension/AceDescriptor.h"

#include <utility>

#include "extension/AceRegistry.h"

AceDescriptor::AceDescriptor(ParamList params, const char* display, uint32_t descriptorFlags)
    : paramTypes(std::move(params.types)),
      paramTitles(std::move(params.titles)),
      displayString(display),
      flags(descriptorFlags) {}

ConditionDescriptor::ConditionDescriptor(ConditionRoutine routine, uint32_t descriptorFlags,
                                         const char* display, ParamList params)
    : AceDescriptor(std::move(params), display, descriptorFlags) {
  conditionRoutine = routine;
  RegistryOf(OperationKind::kCondition).push_back(this);
}

ActionDescriptor::ActionDescriptor(ActionRoutine routine, uint32_t descriptorFlags,
                                   const char* display, ParamList params)
    : AceDescriptor(std::move(params), display, descriptorFlags) {
  actionRoutine = routine;
  RegistryOf(OperationKind::kAction).push_back(this);
}

ExpressionDescriptor::ExpressionDescriptor(ExpressionRoutine routine, uint32_t descriptorFlags,
                                           const char* display, ParamList params)
    : AceDescriptor(std::move(params), display, descriptorFlags) {
  expressionRoutine = routine;
  RegistryOf(OperationKind::kExpression).push_back(this);
}
