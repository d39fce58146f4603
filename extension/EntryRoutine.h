// The module's entry routine and the module-wide state that it keeps: the six
// tables built from the catalogue (an information array and a routine table
// per kind) and the module's instance handle.
//
// The routine runs on every notification of the platform's loader (on Windows
// it is DllMain; on Linux it runs once, at load, with reason 1). Each run
// builds the six tables afresh from the catalogue. Tables handed out earlier
// are never released, so every address that the host was given stays valid;
// a table equal to the one already kept is not kept twice, so repeated
// notifications (one per thread that the host starts) cost no memory.
#ifndef TALLYRA_EXTENSION_ENTRYROUTINE_H_
#define TALLYRA_EXTENSION_ENTRYROUTINE_H_

#include <cstddef>
#include <cstdint>

#include "abi/HostAbi.h"
#include "abi/Operations.h"
#include "platform/Win32.h"

namespace tallyra {

// Reason codes of the loader's notifications.
constexpr DWORD kProcessDetach = 0;
constexpr DWORD kProcessAttach = 1;

// The tables kept by the last run of the entry routine; all null before the
// first. The information arrays hold `records` records each (the catalogue's
// size when they were built); the routine tables end with a null entry.
struct ModuleTables {
  const uint16_t* conditionInfos = nullptr;
  const uint16_t* actionInfos = nullptr;
  const uint16_t* expressionInfos = nullptr;
  std::size_t conditionRecords = 0;
  std::size_t actionRecords = 0;
  std::size_t expressionRecords = 0;
  const ConditionRoutine* conditionRoutines = nullptr;
  const ActionRoutine* actionRoutines = nullptr;
  const ExpressionRoutine* expressionRoutines = nullptr;

  const uint16_t* InfosOf(OperationKind kind) const;
  std::size_t RecordsOf(OperationKind kind) const;
};

// Builds the six tables from the catalogue (conditions, actions, expressions;
// information arrays first) and keeps their addresses; on process attach also
// keeps `module`. Returns 1.
int ModuleEntry(HINSTANCE module, DWORD reason, void* reserved);

const ModuleTables& CurrentModuleTables();

// The handle kept at process attach, or null before it.
HINSTANCE ModuleInstance();

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_ENTRYROUTINE_H_
