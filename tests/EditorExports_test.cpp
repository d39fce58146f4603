// The editor's exports of the built module: menus, codes of menu items,
// display strings and titles.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "abi/OperationCodes.h"
#include "simhost/SimulatedHost.h"
#include "tests/ModulePath.h"

namespace tallyra {

using tallyra::MenuEntry;
using tallyra::OperationDescription;
using tallyra::simhost::ModuleDescription;
using tallyra::simhost::OperationKindName;
using tallyra::simhost::SimulatedHost;

namespace {

using Kind = MenuEntry::Kind;
constexpr OperationKind kCondition = OperationKind::kCondition;
constexpr OperationKind kAction = OperationKind::kAction;
constexpr OperationKind kExpression = OperationKind::kExpression;

class EditorExportsTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(host_.violations(), std::vector<std::string>()); }

  SimulatedHost host_{ModulePath()};
};

// The command ids of every item of a menu, submenus included, in order;
// fails on an empty submenu.
void CollectItems(const MenuEntry& menu, std::vector<uint32_t>* ids) {
  for (const MenuEntry& entry : menu.entries) {
    if (entry.kind == Kind::kItem) ids->push_back(entry.id);
    if (entry.kind != Kind::kSubmenu) continue;
    EXPECT_FALSE(entry.entries.empty()) << entry.text;
    CollectItems(entry, ids);
  }
}

// The menus' layout and texts are pinned by the describe transcript; here,
// that each item stands for one operation, and no operation twice.
TEST_F(EditorExportsTest, EveryMenuItemIsTheMenuIdOfOneOperation) {
  EXPECT_TRUE(host_.Menu(kCondition).entries.empty());
  for (OperationKind kind : {kAction, kExpression}) {
    SCOPED_TRACE(OperationKindName(kind));
    std::vector<uint32_t> ids;
    CollectItems(host_.Menu(kind), &ids);
    EXPECT_FALSE(ids.empty());
    std::vector<bool> seen(OperationCount(kind), false);
    for (uint32_t id : ids) {
      const int code = host_.CodeFromMenu(kind, id);
      ASSERT_GE(code, 0) << id;
      ASSERT_LT(static_cast<std::size_t>(code), seen.size());
      EXPECT_EQ(id, MenuIdOf(kind, static_cast<std::size_t>(code)));
      EXPECT_FALSE(seen[static_cast<std::size_t>(code)]) << "twice: " << id;
      seen[static_cast<std::size_t>(code)] = true;
    }
  }
}

TEST_F(EditorExportsTest, EveryMenuItemMapsToTheCodeWhoseRecordCarriesItsId) {
  struct Case {
    OperationKind kind;
    uint32_t menu_id;
    int code;
  };
  // The id that the next code of a kind would have is not registered.
  auto next = [](OperationKind kind) -> uint32_t { return MenuIdOf(kind, OperationCount(kind)); };
  const Case cases[] = {
      {kAction, 25090, 9},
      {kAction, 25080, 8},
      {kAction, 25000, 0},
      {kAction, 25010, 1},
      {kAction, 25120, 12},
      {kAction, next(kAction), -1},
      {kAction, 25041, -1},
      {kAction, 0, -1},
      {kCondition, 26000, 0},
      {kCondition, 26010, 1},
      {kCondition, next(kCondition), -1},
      {kExpression, 27050, 5},
      {kExpression, 27000, 0},
      {kExpression, next(kExpression), -1},
      {kExpression, 25000, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host_.CodeFromMenu(c.kind, c.menu_id), c.code)
        << OperationKindName(c.kind) << " " << c.menu_id;
  }
}

TEST_F(EditorExportsTest, DisplayStringsAndTitlesOfEveryOperation) {
  // Every operation has its display string and a title for each parameter;
  // the describe transcript pins their texts.
  const ModuleDescription module = host_.Describe();
  for (OperationKind kind : {kCondition, kAction, kExpression}) {
    ASSERT_EQ(module.object.operations[kind].size(), OperationCount(kind));
    for (const OperationDescription& op : module.object.operations[kind]) {
      SCOPED_TRACE(std::string(OperationKindName(op.kind)) + " " + std::to_string(op.code));
      EXPECT_NE(host_.DisplayString(op.kind, op.code).value_or(""), "");
      for (std::size_t j = 0; j < op.params.size(); ++j) {
        const int param = static_cast<int>(j);
        const std::optional<std::string> title = op.kind == kExpression
                                                     ? host_.ExpressionParam(op.code, param)
                                                     : host_.Title(op.kind, op.code, param);
        EXPECT_NE(title.value_or(""), "") << param;
      }
    }
  }
  // Expressions have no titles of their own: the buffer is left as it was.
  for (int code = 0; code < CodeOf(ExpressionCode::kCount); ++code) {
    EXPECT_EQ(host_.Title(kExpression, code, 0), std::nullopt) << code;
  }
}

TEST_F(EditorExportsTest, UnregisteredCodesAndParametersWriteNothing) {
  EXPECT_EQ(host_.DisplayString(kAction, CodeOf(ActionCode::kCount)), std::nullopt);
  EXPECT_EQ(host_.DisplayString(kCondition, -1), std::nullopt);
  EXPECT_EQ(host_.DisplayString(kExpression, CodeOf(ExpressionCode::kCount)), std::nullopt);
  EXPECT_EQ(host_.Title(kAction, CodeOf(ActionCode::kCount), 0), std::nullopt);
  EXPECT_EQ(host_.Title(kAction, 0, 0), std::nullopt);     // no parameters
  EXPECT_EQ(host_.Title(kCondition, 0, 2), std::nullopt);  // two parameters
  EXPECT_EQ(host_.Title(kAction, 12, -1), std::nullopt);
  EXPECT_EQ(host_.ExpressionParam(5, 2), std::nullopt);
  EXPECT_EQ(host_.ExpressionParam(-1, 0), std::nullopt);
}

TEST_F(EditorExportsTest, TextsAreCutAtTheMaximumLength) {
  // The longest text, the formula title of the mapped-pair action, is 81
  // characters; the simulated host checks that nothing lands past the maximum.
  const std::string formula =
      "Formula (n is the index, a is the first set element, b is the second set element)";
  ASSERT_EQ(formula.size(), 81u);
  EXPECT_EQ(host_.Title(kAction, 9, 2, 82), formula);
  EXPECT_EQ(host_.Title(kAction, 9, 2, 81), formula.substr(0, 80));
  EXPECT_EQ(host_.Title(kAction, 9, 2, 10), formula.substr(0, 9));
  EXPECT_EQ(host_.Title(kCondition, 0, 1, 1), "");
  EXPECT_EQ(host_.Title(kCondition, 0, 1, 0), std::nullopt);
  EXPECT_EQ(host_.DisplayString(kExpression, 1, 14), "ElementAtStr$");
  EXPECT_EQ(host_.DisplayString(kExpression, 1, 15), "ElementAtStr$(");
  EXPECT_EQ(host_.DisplayString(kAction, 0, 0), std::nullopt);
  EXPECT_EQ(host_.ExpressionParam(5, 1, 2), "m");
  EXPECT_EQ(host_.ExpressionParam(4, 1, 4), "Max");
  EXPECT_EQ(host_.ExpressionParam(4, 1, 0), std::nullopt);
}

}  // namespace

}  // namespace tallyra
