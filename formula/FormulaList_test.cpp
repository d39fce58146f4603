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
#include "lists/WorkBudget.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

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
  EXPECT_EQ(list->Length(UnlimitedBudget()), -1);
  EXPECT_EQ(list->Depth(), 0u);
  EXPECT_EQ(list->ToConcrete(UnlimitedBudget()), nullptr);
  const Element first = list->ElementAt(0, UnlimitedBudget());
  EXPECT_EQ(first.kind(), kElementNumber);
  EXPECT_EQ(first.number(), 1);
  EXPECT_EQ(first.text(), "");
  EXPECT_EQ(list->ElementAt(10, UnlimitedBudget()).number(), 21);
  EXPECT_EQ(list->ElementAt(10, UnlimitedBudget()).number(),
            21);  // the same index, the same element

  auto squares = Make("n*n+1");
  EXPECT_EQ(squares->ElementAt(0, UnlimitedBudget()).number(), 1);
  EXPECT_EQ(squares->ElementAt(3, UnlimitedBudget()).number(), 10);
}

TEST(FormulaListTest, IndexIsTheExactUnsignedValue) {
  auto list = Make("n");
  EXPECT_EQ(list->ElementAt(4294967295u, UnlimitedBudget()).number(), 4294967295.0);
  EXPECT_EQ(list->ElementAt(2147483648u, UnlimitedBudget()).number(), 2147483648.0);
}

TEST(FormulaListTest, FailingFormulaGivesNoneEverywhere) {
  for (const char* formula : {"x", "n+", "a+b", "", "mod(n, 0)"}) {
    auto list = Make(formula);
    EXPECT_EQ(list->Length(UnlimitedBudget()), -1) << formula;
    EXPECT_EQ(list->ToConcrete(UnlimitedBudget()), nullptr) << formula;
    for (uint32_t index : {0u, 1u, 4294967295u}) {
      EXPECT_EQ(list->ElementAt(index, UnlimitedBudget()).kind(), kElementNone) << formula;
    }
  }
  // A value that the language leaves undefined fails at that index only.
  auto list = Make("mod(10, n)");
  EXPECT_EQ(list->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(list->ElementAt(3, UnlimitedBudget()).number(), 1);
}

TEST(FormulaListTest, InfinityAndNaNAreNumbers) {
  const Element inf = Make("1/n")->ElementAt(0, UnlimitedBudget());
  EXPECT_EQ(inf.kind(), kElementNumber);
  EXPECT_TRUE(std::isinf(inf.number()));
  const Element nan = Make("sqrt(-1-n)")->ElementAt(0, UnlimitedBudget());
  EXPECT_EQ(nan.kind(), kElementNumber);
  EXPECT_TRUE(std::isnan(nan.number()));
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
    WorkBudget probe(UINT64_MAX);
    list->ElementAt(0, probe);
    const uint64_t cost = UINT64_MAX - probe.remaining();
    WorkBudget call(2 * cost);
    EXPECT_EQ(list->ElementAt(0, call).kind(), kElementNumber);
    EXPECT_EQ(list->ElementAt(1, call).kind(), kElementNumber);
    EXPECT_FALSE(call.Spent());
    EXPECT_EQ(list->ElementAt(0, call).kind(), kElementNone);
    EXPECT_TRUE(call.Spent());
  }
  // On a list that computes: a read whose base read was cut short is None
  // too, not the formula of the base's None.
  auto on_mapped = std::make_shared<MappedList>(mapped);
  on_mapped->SetFormula("x+1");
  WorkBudget probe(UINT64_MAX);
  EXPECT_EQ(on_mapped->ElementAt(2, probe).number(), 4);
  WorkBudget call(UINT64_MAX - probe.remaining() - 1);
  EXPECT_EQ(on_mapped->ElementAt(2, call).kind(), kElementNone);
  EXPECT_TRUE(call.Spent());
}

}  // namespace

}  // namespace tallyra
