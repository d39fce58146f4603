#include "formula/FilteredList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>
#include <vector>

#include "formula/SubsequenceList.h"
#include "formula/TestLists.h"
#include "lists/SearchBudget.h"

namespace {

static_assert(!std::is_copy_constructible_v<FilteredList>);
static_assert(!std::is_move_constructible_v<FilteredList>);

std::shared_ptr<FilteredList> Filter(ListPtr base, const char* formula) {
  auto list = std::make_shared<FilteredList>(std::move(base));
  list->SetFormula(formula);
  return list;
}

std::vector<double> Numbers(List& list, uint32_t count) {
  std::vector<double> out;
  for (uint32_t i = 0; i < count; ++i) {
    const Element e = list.ElementAt(i);
    out.push_back(e.kind == kElementNone ? -999 : e.number);
  }
  return out;
}

TEST(FilteredListTest, KeepsThePassingElementsInBaseOrder) {
  auto base = MakeList({Num(5), Num(20), Num(7), Num(30)});
  auto big = Filter(base, "x > 10");
  EXPECT_EQ(Numbers(*big, 3), (std::vector<double>{20, 30, -999}));
  EXPECT_EQ(big->PassingPositions(), (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(big->Length(), -1);
  EXPECT_EQ(big->ToConcrete(), nullptr);
  EXPECT_EQ(big->Depth(), 1u);

  // n is the position in the base: true except at position 2.
  EXPECT_EQ(Numbers(*Filter(base, "n-2"), 4), (std::vector<double>{5, 20, 30, -999}));

  // The element itself comes back, text and all.
  auto texts = MakeList({Text("1"), Text("zero"), Text("2x")});
  auto filtered = Filter(texts, "x");
  EXPECT_EQ(filtered->ElementAt(0).text, "1");
  EXPECT_EQ(filtered->ElementAt(1).text, "2x");
}

TEST(FilteredListTest, VerdictIsTheValueTruncatedToInt32) {
  auto base = MakeList({Num(0.9), Num(-0.5), Num(1), Num(-1.5), Num(std::nan("")), Num(1e10),
                        Num(0), Num(-2147483648.0), Num(4294967296.0)});
  auto filtered = Filter(base, "x");
  filtered->ElementAt(100);
  EXPECT_EQ(filtered->PassingPositions(), (std::vector<uint32_t>{2, 3, 4, 5, 7, 8}));
}

TEST(FilteredListTest, FailingFormulaPassesNothing) {
  auto base = MakeList({Num(1), Num(2), Num(3)});
  for (const char* formula : {"0.5", "a", "x+", "mod(1, 0)"}) {
    auto filtered = Filter(base, formula);
    EXPECT_EQ(filtered->ElementAt(0).kind, kElementNone) << formula;
    EXPECT_TRUE(filtered->PassingPositions().empty()) << formula;
  }
  // A value failure fails only the positions where it happens.
  auto some = Filter(MakeList({Num(0), Num(2), Num(0), Num(3)}), "mod(7, x)");
  EXPECT_EQ(Numbers(*some, 2), (std::vector<double>{2, 3}));
}

TEST(FilteredListTest, RemembersWhatPassed) {
  auto base = std::make_shared<CountingList>();
  auto filtered = Filter(base, "x > 10");
  EXPECT_EQ(filtered->ElementAt(0).number, 11);
  EXPECT_EQ(base->reads, 12 + 1);  // positions 0 to 11 tested, then 11 read
  base->reads = 0;
  EXPECT_EQ(filtered->ElementAt(0).number, 11);
  EXPECT_EQ(base->reads, 1);  // no test: only the read of the element
  EXPECT_EQ(filtered->ElementAt(2).number, 13);
  EXPECT_EQ(filtered->PassingPositions(), (std::vector<uint32_t>{11, 12, 13}));
}

TEST(FilteredListTest, FindsWhatTheBaseGainedLater) {
  auto base = MakeList({Num(5), Num(20), Num(7), Num(30)});
  auto big = Filter(base, "x > 10");
  EXPECT_EQ(big->ElementAt(2).kind, kElementNone);
  base->AppendNumber(40);
  EXPECT_EQ(big->ElementAt(2).number, 40);
  EXPECT_EQ(big->PassingPositions(), (std::vector<uint32_t>{1, 3, 4}));
}

TEST(FilteredListTest, SearchOfAnUnboundedBaseIsBounded) {
  auto base = std::make_shared<CountingList>();
  auto nothing = Filter(base, "x < 0");
  EXPECT_EQ(nothing->ElementAt(0).kind, kElementNone);
  EXPECT_EQ(base->reads, FilteredList::kMaxTestsPerSearch);
  EXPECT_TRUE(nothing->PassingPositions().empty());

  // Each search stands alone: the next one may test as many again.
  base->reads = 0;
  EXPECT_EQ(nothing->ElementAt(5).kind, kElementNone);
  EXPECT_EQ(base->reads, FilteredList::kMaxTestsPerSearch);
}

TEST(FilteredListTest, SearchesDrawFromTheBudgetOfTheCall) {
  auto base = std::make_shared<CountingList>();
  auto rare = Filter(base, "mod(x, 100) == 99");
  {
    SearchBudget::Scope call(250);
    EXPECT_EQ(rare->ElementAt(0).number, 99);          // 100 tests
    EXPECT_EQ(rare->ElementAt(1).number, 199);         // 100 more
    EXPECT_EQ(rare->ElementAt(2).kind, kElementNone);  // 50 left: not enough
    EXPECT_EQ(base->reads, 250 + 2);
    base->reads = 0;
    EXPECT_EQ(rare->ElementAt(2).kind, kElementNone);  // spent: no test at all
    EXPECT_EQ(base->reads, 0);
    EXPECT_EQ(rare->ElementAt(1).number, 199);  // what was found stays readable
  }
  SearchBudget::Scope next_call(1000);
  EXPECT_EQ(rare->ElementAt(2).number, 299);
}

TEST(FilteredListTest, FailedTestsCountAsOneTest) {
  auto base = std::make_shared<CountingList>();
  SearchBudget::Scope call(300);
  auto divisors = Filter(base, "mod(7, x) == 0");  // fails at position 0
  EXPECT_EQ(divisors->ElementAt(0).number, 1);
  EXPECT_EQ(divisors->ElementAt(1).number, 7);
  EXPECT_EQ(divisors->ElementAt(2).kind, kElementNone);
  EXPECT_EQ(base->reads, 300 + 2);  // every test, and the two elements read
}

TEST(FilteredListTest, ATestCutShortByTheBudgetIsNotTakenAsMade) {
  // The base's own search runs out of the call's budget while this filter
  // tests the base's first position: the base's element then reads as None,
  // whose x of 0 would pass; that position must not be remembered as passing.
  auto rare = Filter(std::make_shared<CountingList>(), "x > 1000");
  auto small = Filter(rare, "x < 5");
  {
    SearchBudget::Scope call(500);
    EXPECT_EQ(small->ElementAt(0).kind, kElementNone);
  }
  EXPECT_TRUE(small->PassingPositions().empty());
  SearchBudget::Scope call(5000);
  EXPECT_EQ(small->ElementAt(0).kind, kElementNone);  // 1001, 1002, ... never pass
  EXPECT_TRUE(small->PassingPositions().empty());
  EXPECT_EQ(rare->ElementAt(0).number, 1001);
}

TEST(FilteredListTest, FilterOnVirtualLists) {
  // A base built on a finite list still answers -1, so the search runs to its
  // bound and gives None.
  auto finite = MakeList({Num(1), Num(12), Num(13)});
  auto picked = std::make_shared<SubsequenceList>(ListPtr(finite));
  picked->SetFormula("n");
  auto filtered = Filter(picked, "x > 10");
  EXPECT_EQ(filtered->Depth(), 2u);
  {
    SearchBudget::Scope call(1000);
    EXPECT_EQ(Numbers(*filtered, 3), (std::vector<double>{12, 13, -999}));
  }

  auto evens = Filter(std::make_shared<CountingList>(), "mod(x, 2) == 0");
  auto of_evens = Filter(evens, "mod(x, 3) == 0");
  EXPECT_EQ(of_evens->Depth(), 2u);
  EXPECT_EQ(Numbers(*of_evens, 3), (std::vector<double>{0, 6, 12}));
  EXPECT_EQ(of_evens->PassingPositions(), (std::vector<uint32_t>{0, 3, 6}));
}

}  // namespace
