#include "extension/EntryRoutine.h"

#include <gtest/gtest.h>

#include <vector>

#include "extension/Catalogue.h"

namespace tallyra {

namespace {

struct Snapshot {
  std::vector<uint16_t> infos[3];
  std::vector<const void*> routines[3];
};

const OperationKind kKinds[3] = {OperationKind::kCondition, OperationKind::kAction,
                                 OperationKind::kExpression};

// Reads every table through the given addresses: the information arrays word
// by word up to their records' end, the routine tables up to their null entry.
Snapshot Read(const ModuleTables& tables) {
  Snapshot snapshot;
  for (int k = 0; k < 3; ++k) {
    const uint16_t* words = tables.InfosOf(kKinds[k]);
    for (std::size_t r = 0; r < tables.RecordsOf(kKinds[k]); ++r) {
      const std::size_t size = 5 + 2 * std::size_t{words[4]};
      snapshot.infos[k].insert(snapshot.infos[k].end(), words, words + size);
      words += size;
    }
  }
  for (const ConditionRoutine* r = tables.conditionRoutines; *r != nullptr; ++r) {
    snapshot.routines[0].push_back(reinterpret_cast<const void*>(*r));
  }
  for (const ActionRoutine* r = tables.actionRoutines; *r != nullptr; ++r) {
    snapshot.routines[1].push_back(reinterpret_cast<const void*>(*r));
  }
  for (const ExpressionRoutine* r = tables.expressionRoutines; *r != nullptr; ++r) {
    snapshot.routines[2].push_back(reinterpret_cast<const void*>(*r));
  }
  return snapshot;
}

TEST(EntryRoutineTest, TablesHandedOutEarlierStayValidAfterLaterNotifications) {
  // Process attach, as at load (a test program on Windows gets no loader
  // notification for it).
  char marker;
  EXPECT_EQ(ModuleEntry(reinterpret_cast<HINSTANCE>(&marker), kProcessAttach, nullptr), 1);
  const ModuleTables first = CurrentModuleTables();
  ASSERT_NE(first.actionRoutines, nullptr);
  const Snapshot before = Read(first);
  ASSERT_EQ(before.routines[0].size(), CatalogueOf(OperationKind::kCondition).size());
  ASSERT_EQ(before.routines[1].size(), CatalogueOf(OperationKind::kAction).size());
  ASSERT_EQ(before.routines[2].size(), CatalogueOf(OperationKind::kExpression).size());
  EXPECT_EQ(ModuleInstance(), reinterpret_cast<HINSTANCE>(&marker));

  // Thread attach, thread detach, process detach: each builds the tables again.
  for (DWORD reason : {DWORD{2}, DWORD{3}, DWORD{0}}) {
    EXPECT_EQ(ModuleEntry(nullptr, reason, nullptr), 1);
  }
  const Snapshot afterwards = Read(first);  // through the addresses given before
  const Snapshot current = Read(CurrentModuleTables());
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(afterwards.infos[k], before.infos[k]);
    EXPECT_EQ(afterwards.routines[k], before.routines[k]);
    EXPECT_EQ(current.infos[k], before.infos[k]);
    EXPECT_EQ(current.routines[k], before.routines[k]);
  }
  // Only process attach keeps a handle.
  EXPECT_EQ(ModuleInstance(), reinterpret_cast<HINSTANCE>(&marker));
}

}  // namespace

}  // namespace tallyra
