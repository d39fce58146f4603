// The editor's exports of the built module: menus, codes of menu items,
// display strings and titles.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "simhost/SimulatedHost.h"
#include "tests/Catalogue.h"
#include "tests/ModulePath.h"

using tallyra::simhost::MenuEntry;
using tallyra::simhost::OperationKind;
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

// One entry as "text (id)", "----" or "text [n entries]".
std::string Show(const MenuEntry& entry) {
  switch (entry.kind) {
    case Kind::kItem:
      return entry.text + " (" + std::to_string(entry.id) + ")";
    case Kind::kSeparator:
      return "----";
    case Kind::kSubmenu:
      break;
  }
  return entry.text + " [" + std::to_string(entry.entries.size()) + "]";
}

std::vector<std::string> Show(const std::vector<MenuEntry>& entries) {
  std::vector<std::string> shown;
  for (const MenuEntry& entry : entries) shown.push_back(Show(entry));
  return shown;
}

using Lines = std::vector<std::string>;

TEST_F(EditorExportsTest, TheActionMenuWithItsSubmenus) {
  const MenuEntry menu = host_.Menu(kAction);
  ASSERT_EQ(menu.entries.size(), 4u);
  EXPECT_EQ(Show(menu.entries),
            (Lines{"Append string to set (25020)", "Append value to set (25030)",
                   "'Virtual' Lists [7]", "List Object Integration [2]"}));
  const MenuEntry& virtualLists = menu.entries[2];
  EXPECT_EQ(Show(virtualLists.entries),
            (Lines{"K-Sublist [2]", "----", "Define list by equation (25060)",
                   "Define mapping on list (25070)", "Define mapping on a pair of list (25090)",
                   "Define sub-sequence list (25080)", "Define filtered list (25100)"}));
  EXPECT_EQ(Show(virtualLists.entries[0].entries),
            (Lines{"Create (25040)", "Get next k-sublist (25050)"}));
  EXPECT_EQ(Show(menu.entries[3].entries),
            (Lines{"Get items from list object (25110)", "Put items into a list object (25120)"}));
}

TEST_F(EditorExportsTest, TheExpressionMenuIsFlatAndTheConditionMenuEmpty) {
  EXPECT_EQ(Show(host_.Menu(kExpression).entries),
            (Lines{"Get List Length (27000)", "Get Item (as string) (27010)",
                   "Get Item (as number) (27020)", "----", "Get set sum (27030)",
                   "Get set as string (27040)", "----", "Binomial Coefficient (27050)"}));
  EXPECT_TRUE(host_.Menu(kCondition).entries.empty());
}

TEST_F(EditorExportsTest, EveryMenuItemMapsToTheCodeWhoseRecordCarriesItsId) {
  struct Case {
    OperationKind kind;
    uint32_t menuId;
    int code;
  };
  const Case cases[] = {
      {kAction, 25090, 9},     {kAction, 25080, 8},      {kAction, 25000, 0},
      {kAction, 25010, 1},     {kAction, 25120, 12},     {kAction, 25130, -1},
      {kAction, 25041, -1},    {kAction, 0, -1},         {kCondition, 26000, 0},
      {kCondition, 26010, 1},  {kCondition, 26020, -1},  {kExpression, 27050, 5},
      {kExpression, 27000, 0}, {kExpression, 27060, -1}, {kExpression, 25000, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host_.CodeFromMenu(c.kind, c.menuId), c.code)
        << OperationKindName(c.kind) << " " << c.menuId;
  }
}

TEST_F(EditorExportsTest, DisplayStringsAndTitlesOfEveryOperation) {
  for (const CataloguedOperation& op : Catalogue()) {
    SCOPED_TRACE(std::string(OperationKindName(op.kind)) + " " + std::to_string(op.code));
    EXPECT_EQ(host_.DisplayString(op.kind, op.code), op.display);
    for (std::size_t j = 0; j < op.titles.size(); ++j) {
      const int param = static_cast<int>(j);
      if (op.kind == kExpression) {
        EXPECT_EQ(host_.ExpressionParam(op.code, param), op.titles[j]);
      } else {
        EXPECT_EQ(host_.Title(op.kind, op.code, param), op.titles[j]);
      }
    }
  }
  // Expressions have no titles of their own: the buffer is left as it was.
  for (int code = 0; code < 6; ++code) {
    EXPECT_EQ(host_.Title(kExpression, code, 0), std::nullopt) << code;
  }
}

TEST_F(EditorExportsTest, UnregisteredCodesAndParametersWriteNothing) {
  EXPECT_EQ(host_.DisplayString(kAction, 13), std::nullopt);
  EXPECT_EQ(host_.DisplayString(kCondition, -1), std::nullopt);
  EXPECT_EQ(host_.DisplayString(kExpression, 6), std::nullopt);
  EXPECT_EQ(host_.Title(kAction, 13, 0), std::nullopt);
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
