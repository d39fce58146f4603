#include "formula/MappedList.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "formula/FormulaList.h"
#include "formula/TestLists.h"
#include "lists/ConcreteList.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

static_assert(!std::is_copy_constructible_v<MappedList>);
static_assert(!std::is_move_constructible_v<MappedList>);

std::shared_ptr<MappedList> Map(ListPtr base, const char* formula) {
  auto list = std::make_shared<MappedList>(std::move(base));
  list->SetFormula(formula);
  return list;
}

TEST(MappedListTest, MapsEachElementAsANumber) {
  auto base = MakeList({Num(1), Text("2.5"), Text("abc")});
  auto mapped = Map(base, "x*10+n");
  EXPECT_EQ(mapped->Length(UnlimitedBudget()), 3);
  EXPECT_EQ(mapped->Depth(), 1u);
  const double expected[] = {10, 26, 2};
  for (uint32_t i = 0; i < 3; ++i) {
    const Element e = mapped->ElementAt(i, UnlimitedBudget());
    EXPECT_EQ(e.kind(), kElementNumber);
    EXPECT_EQ(e.number(), expected[i]);
    EXPECT_EQ(e.text(), "");
  }
  // Past the end of the base x is 0, and the element is still computed.
  EXPECT_EQ(mapped->ElementAt(3, UnlimitedBudget()).number(), 3);
}

TEST(MappedListTest, FollowsItsBaseObject) {
  auto first = MakeList({Num(1), Num(2)});
  ListRef name(first);
  auto mapped = Map(name.shared(), "x*x");
  first->AppendNumber(3);
  EXPECT_EQ(mapped->Length(UnlimitedBudget()), 3);
  EXPECT_EQ(mapped->ElementAt(2, UnlimitedBudget()).number(), 9);

  // Rebinding the name leaves the mapped list on the former list, which lives on.
  first.reset();
  name = ListRef(MakeList({Num(100)}));
  EXPECT_EQ(mapped->Length(UnlimitedBudget()), 3);
  EXPECT_EQ(mapped->ElementAt(0, UnlimitedBudget()).number(), 1);
}

TEST(MappedListTest, ConcreteCopyIsASnapshot) {
  auto base = MakeList({Num(1), Num(2)});
  auto mapped = Map(base, "x+n");
  std::shared_ptr<ConcreteList> copy = mapped->ToConcrete(UnlimitedBudget());
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->Length(UnlimitedBudget()), 2);
  EXPECT_EQ(copy->ElementAt(0, UnlimitedBudget()).number(), 1);
  EXPECT_EQ(copy->ElementAt(1, UnlimitedBudget()).number(), 3);

  // A second mapped list built on the first goes on reading the first one,
  // while the copy (the set's new list after an append) grows apart.
  auto second = Map(mapped, "x*2");
  copy->AppendNumber(40);
  base->AppendNumber(5);
  EXPECT_EQ(second->Length(UnlimitedBudget()), 3);
  EXPECT_EQ(second->ElementAt(2, UnlimitedBudget()).number(), 14);
  EXPECT_EQ(second->Depth(), 2u);
  EXPECT_EQ(copy->ElementAt(2, UnlimitedBudget()).number(), 40);

  auto empty = Map(MakeList({}), "x");
  ASSERT_NE(empty->ToConcrete(UnlimitedBudget()), nullptr);
  EXPECT_EQ(empty->ToConcrete(UnlimitedBudget())->Length(UnlimitedBudget()), 0);
}

TEST(MappedListTest, UnboundedBase) {
  auto base = std::make_shared<CountingList>(2);
  auto mapped = Map(base, "x+1");
  EXPECT_EQ(mapped->Length(UnlimitedBudget()), -1);
  EXPECT_EQ(mapped->ToConcrete(UnlimitedBudget()), nullptr);
  EXPECT_EQ(mapped->ElementAt(4294967295u, UnlimitedBudget()).number(), 2 * 4294967295.0 + 1);
  auto over_formula = std::make_shared<FormulaList>();
  over_formula->SetFormula("n*n");
  EXPECT_EQ(Map(over_formula, "x-n")->ElementAt(5, UnlimitedBudget()).number(), 20);
}

TEST(MappedListTest, FailingFormulaGivesNoneButKeepsTheLength) {
  auto base = MakeList({Num(1), Num(2), Num(3)});
  for (const char* formula : {"a+1", "x+", "mod(x, 0)"}) {
    auto mapped = Map(base, formula);
    EXPECT_EQ(mapped->Length(UnlimitedBudget()), 3) << formula;
    EXPECT_EQ(mapped->ElementAt(0, UnlimitedBudget()).kind(), kElementNone) << formula;
    std::shared_ptr<ConcreteList> copy = mapped->ToConcrete(UnlimitedBudget());
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Length(UnlimitedBudget()), 3) << formula;
    for (uint32_t i = 0; i < 3; ++i)
      EXPECT_EQ(copy->ElementAt(i, UnlimitedBudget()).kind(), kElementNone);
  }
  // A value failure hits only the elements where it happens.
  auto mapped = Map(MakeList({Num(0), Num(4)}), "mod(9, x)");
  EXPECT_EQ(mapped->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(mapped->ElementAt(1, UnlimitedBudget()).number(), 1);
}

}  // namespace

}  // namespace tallyra
