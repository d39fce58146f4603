#include "host/EntryRoutine.h"

#include <algorithm>
#include <vector>

#include "registry/AceRegistry.h"
#include "registry/InfoArray.h"
#include "registry/Registrations.h"
#include "registry/RoutineTable.h"

namespace {

// A table that lives to the process's end. Replace keeps a new block only when
// the built contents differ from the block already kept.
template <typename T>
struct KeptTable {
  const T* data = nullptr;
  std::size_t size = 0;

  void Replace(const std::vector<T>& built) {
    if (data != nullptr && size == built.size() && std::equal(built.begin(), built.end(), data)) {
      return;
    }
    T* block = new T[built.size()];  // never released: the host may hold it
    std::copy(built.begin(), built.end(), block);
    data = block;
    size = built.size();
  }
};

struct ModuleState {
  KeptTable<uint16_t> infos[3];
  KeptTable<ConditionRoutine> conditionRoutines;
  KeptTable<ActionRoutine> actionRoutines;
  KeptTable<ExpressionRoutine> expressionRoutines;
  ModuleTables tables;
  HINSTANCE instance = nullptr;
};

// Plain static storage: it is set up before any code runs and never torn
// down, so the entry routine may run before or after static initialisation.
ModuleState& State() {
  static ModuleState* state = new ModuleState;  // lives to the process's end
  return *state;
}

constexpr AceKind kKinds[3] = {AceKind::kCondition, AceKind::kAction, AceKind::kExpression};

}  // namespace

const uint16_t* ModuleTables::InfosOf(AceKind kind) const {
  switch (kind) {
    case AceKind::kCondition:
      return conditionInfos;
    case AceKind::kAction:
      return actionInfos;
    case AceKind::kExpression:
      break;
  }
  return expressionInfos;
}

std::size_t ModuleTables::RecordsOf(AceKind kind) const {
  switch (kind) {
    case AceKind::kCondition:
      return conditionRecords;
    case AceKind::kAction:
      return actionRecords;
    case AceKind::kExpression:
      break;
  }
  return expressionRecords;
}

int ModuleEntry(HINSTANCE module, DWORD reason, void* /*reserved*/) {
  try {
    RegisterOperations();
    ModuleState& state = State();
    std::size_t records[3] = {};
    for (int k = 0; k < 3; ++k) {
      const AceRegistry& registry = RegistryOf(kKinds[k]);
      state.infos[k].Replace(BuildInfoArray(registry, kKinds[k]));
      records[k] = registry.size();
    }
    state.conditionRoutines.Replace(BuildConditionTable(RegistryOf(AceKind::kCondition)));
    state.actionRoutines.Replace(BuildActionTable(RegistryOf(AceKind::kAction)));
    state.expressionRoutines.Replace(BuildExpressionTable(RegistryOf(AceKind::kExpression)));

    ModuleTables& tables = state.tables;
    tables.conditionInfos = state.infos[0].data;
    tables.actionInfos = state.infos[1].data;
    tables.expressionInfos = state.infos[2].data;
    tables.conditionRecords = records[0];
    tables.actionRecords = records[1];
    tables.expressionRecords = records[2];
    tables.conditionRoutines = state.conditionRoutines.data;
    tables.actionRoutines = state.actionRoutines.data;
    tables.expressionRoutines = state.expressionRoutines.data;
    if (reason == kProcessAttach) state.instance = module;
  } catch (...) {
    // Out of memory while the module loads: the tables kept so far stay.
  }
  return 1;
}

const ModuleTables& CurrentModuleTables() { return State().tables; }

HINSTANCE ModuleInstance() { return State().instance; }

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  return ModuleEntry(module, reason, reserved);
}

#else

namespace {

// Stands for the module's handle on Linux: the address of a byte of its own.
char moduleMarker;

__attribute__((constructor)) void AttachModule() {
  ModuleEntry(reinterpret_cast<HINSTANCE>(&moduleMarker), kProcessAttach, nullptr);
}

}  // namespace

#endif
