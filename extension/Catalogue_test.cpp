#include "extension/Catalogue.h"

#include <gtest/gtest.h>

#include "extension/InfoArray.h"

namespace tallyra {

namespace {

// The compiled information arrays say what the rows say: one record per row,
// in code order, with nothing between records.
TEST(CatalogueTest, InformationArraysAgreeWithTheRows) {
  for (OperationKind kind : kOperationKinds) {
    const OperationRows rows = CatalogueOf(kind);
    const InfoArrayView infos = InfoArrayOf(kind);
    ASSERT_EQ(infos.records, rows.size());
    InfoRecord record(infos.words);
    for (std::size_t code = 0; code < rows.size(); ++code, record = record.next()) {
      const OperationEntry& row = rows[code];
      EXPECT_EQ(record.menu_id(), MenuIdOf(kind, code));
      EXPECT_EQ(record.string_id(), MenuIdOf(kind, code));
      EXPECT_EQ(record.code(), code);
      EXPECT_EQ(record.flags(), row.flags);
      ASSERT_EQ(record.param_count(), row.param_count);
      for (std::size_t j = 0; j < row.param_count; ++j) {
        EXPECT_EQ(record.param_type(j), row.params[j].type);
        EXPECT_EQ(record.title_id(j), TitleIdOf(kind, code, j));
      }
    }
  }
}

template <typename Routine>
void ExpectRoutineTable(const Routine* table, OperationKind kind, Routine OperationEntry::*field) {
  const OperationRows rows = CatalogueOf(kind);
  for (std::size_t code = 0; code < rows.size(); ++code) {
    EXPECT_NE(rows[code].*field, nullptr) << "code " << code;
    EXPECT_EQ(table[code], rows[code].*field) << "code " << code;
  }
  EXPECT_EQ(table[rows.size()], nullptr);
}

TEST(CatalogueTest, RoutineTablesHoldEachRowsRoutineAndEndWithNull) {
  const RoutineTables& routines = RoutineTablesOfModule();
  ExpectRoutineTable(routines.conditions, OperationKind::kCondition, &OperationEntry::condition);
  ExpectRoutineTable(routines.actions, OperationKind::kAction, &OperationEntry::action);
  ExpectRoutineTable(routines.expressions, OperationKind::kExpression, &OperationEntry::expression);
}

}  // namespace

}  // namespace tallyra
