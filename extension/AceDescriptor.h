// AceDescriptor: one registered operation (action, condition or expression):
// its parameters, its routine in the host's calling form, its display string
// and its host flags. ConditionDescriptor, ActionDescriptor and
// ExpressionDescriptor are the same record made by three constructors; each
// sets its own routine field and appends the descriptor to its kind's registry,
// whose position is the operation's code.
//
// Descriptors are static objects that live as long as the module; a registry
// holds pointers to them and never owns them. The display string and the
// parameter titles are constant texts that are not copied.
#ifndef TALLYRA_EXTENSION_ACEDESCRIPTOR_H_
#define TALLYRA_EXTENSION_ACEDESCRIPTOR_H_

#include <cstdint>
#include <vector>

#include "abi/HostAbi.h"
#include "abi/Operations.h"
#include "extension/ParamList.h"

struct AceDescriptor {
  std::vector<uint16_t> paramTypes;
  std::vector<const char*> paramTitles;  // same length as paramTypes
  ConditionRoutine conditionRoutine = nullptr;
  ActionRoutine actionRoutine = nullptr;
  ExpressionRoutine expressionRoutine = nullptr;
  const char* displayString = nullptr;
  uint32_t flags = 0;  // only the low 16 bits are handed to the host

  std::size_t ParamCount() const { return paramTypes.size(); }

  AceDescriptor(const AceDescriptor&) = delete;
  AceDescriptor& operator=(const AceDescriptor&) = delete;

 protected:
  AceDescriptor(ParamList params, const char* display, uint32_t descriptorFlags);
};

struct ConditionDescriptor : AceDescriptor {
  ConditionDescriptor(ConditionRoutine routine, uint32_t descriptorFlags, const char* display,
                      ParamList params);
};

struct ActionDescriptor : AceDescriptor {
  ActionDescriptor(ActionRoutine routine, uint32_t descriptorFlags, const char* display,
                   ParamList params);
};

struct ExpressionDescriptor : AceDescriptor {
  ExpressionDescriptor(ExpressionRoutine routine, uint32_t descriptorFlags, const char* display,
                       ParamList params);
};

#endif  // TALLYRA_EXTENSION_ACEDESCRIPTOR_H_
