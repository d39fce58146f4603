#include "formula/FormulaList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>
#include <vector>

#include "formula/MappedList.h"
#include "formula/MappedPairList.h"
#include "formula/SubsequenceList.h"
#include "formula/TestLists.h"
#include "lists/KSubsetList.h"
#include "lists/SearchBudget.h"

namespace {

static_assert(!std::is_copy_constructible_v<FormulaList>);
static_assert(!std::is_move_constructible_v<FormulaList>);
static_assert(!std::is_copy_assignable_v<FormulaList>);
static_assert(!std::is_move_assignable_v<FormulaList>);

std::shared_ptr<FormulaList> Make(const char* formula) {
  auto list = std::make_shared<FormulaList>();
  list->SetFormula(formula);
  return list;
}

TEST(FormulaListTest, ElementKIsTheFormulaAtNEqualsK) {
  auto list = Make("2*n+1");
  EXPECT_EQ(list->Length(), -1);
  EXPECT_EQ(list->Depth(), 0u);
  EXPECT_EQ(list->ToConcrete(), nullptr);
  const Element first = list->ElementAt(0);
  EXPECT_EQ(first.kind, kElementNumber);
  EXPECT_EQ(first.number, 1);
  EXPECT_EQ(first.text, "");
  EXPECT_EQ(list->ElementAt(10).number, 21);
  EXPECT_EQ(list->ElementAt(10).number, 21);  // the same index, the same element

  auto squares = Make("n*n+1");
  EXPECT_EQ(squares->ElementAt(0).number, 1);
  EXPECT_EQ(squares->ElementAt(3).number, 10);
}

TEST(FormulaListTest, IndexIsTheExactUnsignedValue) {
  auto list = Make("n");
  EXPECT_EQ(list->ElementAt(4294967295u).number, 4294967295.0);
  EXPECT_EQ(list->ElementAt(2147483648u).number, 2147483648.0);
}

TEST(FormulaListTest, FailingFormulaGivesNoneEverywhere) {
  for (const char* formula : {"x", "n+", "a+b", "", "mod(n, 0)"}) {
    auto list = Make(formula);
    EXPECT_EQ(list->Length(), -1) << formula;
    EXPECT_EQ(list->ToConcrete(), nullptr) << formula;
    for (uint32_t index : {0u, 1u, 4294967295u}) {
      EXPECT_EQ(list->ElementAt(index).kind, kElementNone) << formula;
    }
  }
  // A value that the language leaves undefined fails at that index only.
  auto list = Make("mod(10, n)");
  EXPECT_EQ(list->ElementAt(0).kind, kElementNone);
  EXPECT_EQ(list->ElementAt(3).number, 1);
}

TEST(FormulaListTest, InfinityAndNaNAreNumbers) {
  const Element inf = Make("1/n")->ElementAt(0);
  EXPECT_EQ(inf.kind, kElementNumber);
  EXPECT_TRUE(std::isinf(inf.number));
  const Element nan = Make("sqrt(-1-n)")->ElementAt(0);
  EXPECT_EQ(nan.kind, kElementNumber);
  EXPECT_TRUE(std::isnan(nan.number));
}

TEST(FormulaListTest, EveryReadOfAComputedListDrawsAStepFromTheCall) {
  // Each kind that computes its elements or picks them from another list
  // costs one step of the call's budget per read; once the budget is spent
  // its reads are None, and the budget says that work was cut short.
  auto base = MakeList({Num(1), Num(2), Num(3)});
  auto mapped = std::make_shared<MappedList>(base);
  mapped->SetFormula("x");
  auto pair = std::make_shared<MappedPairList>(base, base);
  pair->SetFormula("a+b");
  auto subsequence = std::make_shared<SubsequenceList>(base);
  subsequence->SetFormula("n");
  const std::vector<ListPtr> lists = {Make("n+1"), mapped, pair, subsequence,
                                      std::make_shared<KSubsetList>(3, base)};
  for (const ListPtr& list : lists) {
    SearchBudget::Scope call(2);
    EXPECT_EQ(list->ElementAt(0).kind, kElementNumber);
    EXPECT_EQ(list->ElementAt(1).kind, kElementNumber);
    EXPECT_FALSE(SearchBudget::Spent());
    EXPECT_EQ(list->ElementAt(0).kind, kElementNone);
    EXPECT_TRUE(SearchBudget::Spent());
  }
  // On a list that computes: the inner read is cut short, the outer one maps
  // its None to a number, and only the budget tells.
  auto onMapped = std::make_shared<MappedList>(mapped);
  onMapped->SetFormula("x+1");
  SearchBudget::Scope call(3);
  EXPECT_EQ(onMapped->ElementAt(2).number, 4);
  EXPECT_EQ(onMapped->ElementAt(2).number, 1);
  EXPECT_TRUE(SearchBudget::Spent());
}

}  // namespace
