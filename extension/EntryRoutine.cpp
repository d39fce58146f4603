#include "extension/EntryRoutine.h"

#include <algorithm>
#include <vector>

#include "extension/Catalogue.h"
#include "extension/InfoArray.h"
#include "extension/RoutineTable.h"

namespace tallyra {

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
    T* block = new T[built.size()];  // never released while the module is loaded
    std::copy(built.begin(), built.end(), block);
    data = block;
    size = built.size();
  }

  // Only when the module leaves the process: nothing can call its routines
  // any more.
  void Release() {
    delete[] data;
    data = nullptr;
    size = 0;
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

// Constant-initialised and trivially destructible: the state is in place
// before any code of the module runs and is never torn down by static
// tear-down, so the entry routine may run before or after static
// initialisation.
ModuleState moduleState;

ModuleState& State() { return moduleState; }

constexpr OperationKind kKinds[3] = {OperationKind::kCondition, OperationKind::kAction,
                                     OperationKind::kExpression};

}  // namespace

const uint16_t* ModuleTables::InfosOf(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return conditionInfos;
    case OperationKind::kAction:
      return actionInfos;
    case OperationKind::kExpression:
      break;
  }
  return expressionInfos;
}

std::size_t ModuleTables::RecordsOf(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return conditionRecords;
    case OperationKind::kAction:
      return actionRecords;
    case OperationKind::kExpression:
      break;
  }
  return expressionRecords;
}

int ModuleEntry(HINSTANCE module, DWORD reason, void* /*reserved*/) {
  try {
    ModuleState& current = State();
    std::size_t records[3] = {};
    for (int k = 0; k < 3; ++k) {
      const OperationRows rows = CatalogueOf(kKinds[k]);
      current.infos[k].Replace(BuildInfoArray(rows, kKinds[k]));
      records[k] = rows.size();
    }
    current.conditionRoutines.Replace(BuildConditionTable(CatalogueOf(OperationKind::kCondition)));
    current.actionRoutines.Replace(BuildActionTable(CatalogueOf(OperationKind::kAction)));
    current.expressionRoutines.Replace(
        BuildExpressionTable(CatalogueOf(OperationKind::kExpression)));

    ModuleTables& tables = current.tables;
    tables.conditionInfos = current.infos[0].data;
    tables.actionInfos = current.infos[1].data;
    tables.expressionInfos = current.infos[2].data;
    tables.conditionRecords = records[0];
    tables.actionRecords = records[1];
    tables.expressionRecords = records[2];
    tables.conditionRoutines = current.conditionRoutines.data;
    tables.actionRoutines = current.actionRoutines.data;
    tables.expressionRoutines = current.expressionRoutines.data;
    if (reason == kProcessAttach) current.instance = module;
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

// The module is unloaded (or the process ends): the tables go with it.
__attribute__((destructor)) void DetachModule() {
  ModuleState& current = State();
  for (auto& infos : current.infos) infos.Release();
  current.conditionRoutines.Release();
  current.actionRoutines.Release();
  current.expressionRoutines.Release();
  current.tables = ModuleTables();
}

}  // namespace

#endif

}  // namespace tallyra
