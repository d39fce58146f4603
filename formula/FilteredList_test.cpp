#include "formula/FilteredList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "formula/MappedPairList.h"
#include "formula/SubsequenceList.h"
#include "formula/TestLists.h"
#include "lists/KSubsetList.h"
#include "lists/WorkBudget.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

static_assert(!std::is_copy_constructible_v<FilteredList>);
static_assert(!std::is_move_constructible_v<FilteredList>);

std::shared_ptr<FilteredList> Filter(ListPtr base, const char* formula,
                                     FilterLimits limits = FilterLimits{}) {
  auto list = std::make_shared<FilteredList>(std::move(base), limits);
  list->SetFormula(formula);
  return list;
}

std::vector<double> Numbers(List& list, uint32_t count) {
  std::vector<double> out;
  for (uint32_t i = 0; i < count; ++i) {
    const Element e = list.ElementAt(i, UnlimitedBudget());
    out.push_back(e.kind() == kElementNone ? -999 : e.number());
  }
  return out;
}

TEST(FilteredListTest, KeepsThePassingElementsInBaseOrder) {
  auto base = MakeList({Num(5), Num(20), Num(7), Num(30)});
  auto big = Filter(base, "x > 10");
  EXPECT_EQ(Numbers(*big, 3), (std::vector<double>{20, 30, -999}));
  EXPECT_EQ(big->PassingPositions(), (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(big->Length(UnlimitedBudget()), -1);
  EXPECT_EQ(big->ToConcrete(UnlimitedBudget()), nullptr);
  EXPECT_EQ(big->Depth(), 1u);

  // n is the position in the base: true except at position 2.
  EXPECT_EQ(Numbers(*Filter(base, "n-2"), 4), (std::vector<double>{5, 20, 30, -999}));

  // The element itself comes back, text and all.
  auto texts = MakeList({Text("1"), Text("zero"), Text("2x")});
  auto filtered = Filter(texts, "x");
  EXPECT_EQ(filtered->ElementAt(0, UnlimitedBudget()).text(), "1");
  EXPECT_EQ(filtered->ElementAt(1, UnlimitedBudget()).text(), "2x");
}

TEST(FilteredListTest, VerdictIsTheValueTruncatedToInt32) {
  auto base = MakeList({Num(0.9), Num(-0.5), Num(1), Num(-1.5), Num(std::nan("")), Num(1e10),
                        Num(0), Num(-2147483648.0), Num(4294967296.0)});
  auto filtered = Filter(base, "x");
  filtered->ElementAt(100, UnlimitedBudget());
  EXPECT_EQ(filtered->PassingPositions(), (std::vector<uint32_t>{2, 3, 4, 5, 7, 8}));
}

TEST(FilteredListTest, FailingFormulaPassesNothing) {
  auto base = MakeList({Num(1), Num(2), Num(3)});
  for (const char* formula : {"0.5", "a", "x+", "mod(1, 0)"}) {
    auto filtered = Filter(base, formula);
    EXPECT_EQ(filtered->ElementAt(0, UnlimitedBudget()).kind(), kElementNone) << formula;
    EXPECT_TRUE(filtered->PassingPositions().empty()) << formula;
  }
  // A value failure fails only the positions where it happens.
  auto some = Filter(MakeList({Num(0), Num(2), Num(0), Num(3)}), "mod(7, x)");
  EXPECT_EQ(Numbers(*some, 2), (std::vector<double>{2, 3}));
}

TEST(FilteredListTest, RemembersWhatPassed) {
  auto base = std::make_shared<CountingList>();
  auto filtered = Filter(base, "x > 10");
  EXPECT_EQ(filtered->ElementAt(0, UnlimitedBudget()).number(), 11);
  EXPECT_EQ(base->reads, 12 + 1);  // positions 0 to 11 tested, then 11 read
  base->reads = 0;
  EXPECT_EQ(filtered->ElementAt(0, UnlimitedBudget()).number(), 11);
  EXPECT_EQ(base->reads, 1);  // no test: only the read of the element
  EXPECT_EQ(filtered->ElementAt(2, UnlimitedBudget()).number(), 13);
  EXPECT_EQ(filtered->PassingPositions(), (std::vector<uint32_t>{11, 12, 13}));
}

TEST(FilteredListTest, FindsWhatTheBaseGainedLater) {
  auto base = MakeList({Num(5), Num(20), Num(7), Num(30)});
  auto big = Filter(base, "x > 10");
  EXPECT_EQ(big->ElementAt(2, UnlimitedBudget()).kind(), kElementNone);
  base->AppendNumber(40);
  EXPECT_EQ(big->ElementAt(2, UnlimitedBudget()).number(), 40);
  EXPECT_EQ(big->PassingPositions(), (std::vector<uint32_t>{1, 3, 4}));
}

// What one test of a position costs (the base's read and the formula), for a
// filter by this formula over a CountingList whose first position passes:
// reading element 0 tests position 0 and then reads it (one unit).
uint64_t TestCost(const char* formula) {
  auto fresh = Filter(std::make_shared<CountingList>(), formula);
  WorkBudget probe(UINT64_MAX);
  fresh->ElementAt(0, probe);
  return UINT64_MAX - probe.remaining() - 1;
}

TEST(FilteredListTest, ASearchStopsWithTheBudgetAndTheNextCallGoesOn) {
  // A finite base longer than one call can search: the element past what one
  // budget reaches is found by calls that each go on where the last stopped.
  auto base = std::make_shared<CountingList>();
  auto late = Filter(base, "x > 4500 or n == 0");
  const uint64_t per_test = TestCost("x > 4500 or n == 0");
  int calls = 0;
  Element found;
  uint64_t tested = late->TestedCount();
  while (found.kind() == kElementNone && calls < 20) {
    WorkBudget call(1000 * per_test);
    found = late->ElementAt(1, call);
    ++calls;
    EXPECT_GT(late->TestedCount(), tested);  // every call makes progress
    tested = late->TestedCount();
    if (found.kind() == kElementNone) {
      EXPECT_TRUE(call.Spent());
    }
  }
  EXPECT_EQ(found.number(), 4501);
  EXPECT_EQ(calls, 5);

  // A spent budget tests nothing more.
  WorkBudget spent(0);
  spent.Charge(1);
  base->reads = 0;
  EXPECT_EQ(late->ElementAt(2, spent).kind(), kElementNone);
  EXPECT_EQ(base->reads, 0);
  EXPECT_EQ(late->ElementAt(1, UnlimitedBudget()).number(), 4501);  // what was found stays
}

TEST(FilteredListTest, ATestCutShortByTheBudgetIsNotTakenAsMade) {
  // The base's own search runs out of the call's budget while this filter
  // tests the base's first position: the base's element then reads as None,
  // whose x of 0 would pass; that position must not be remembered as passing.
  auto rare = Filter(std::make_shared<CountingList>(), "x > 1000");
  auto small = Filter(rare, "x < 5");
  {
    WorkBudget call(500);
    EXPECT_EQ(small->ElementAt(0, call).kind(), kElementNone);
  }
  EXPECT_TRUE(small->PassingPositions().empty());
  WorkBudget call(200000);
  EXPECT_EQ(small->ElementAt(0, call).kind(), kElementNone);  // 1001, 1002, ... never pass
  EXPECT_TRUE(small->PassingPositions().empty());
  EXPECT_EQ(rare->ElementAt(0, UnlimitedBudget()).number(), 1001);
}

TEST(FilteredListTest, RemembersInBoundedMemoryAndFindsEveryElementAgain) {
  // Far past the positions remembered one by one: the checkpoints thin out
  // as they grow, and every element is still found, in any order.
  auto base = std::make_shared<CountingList>();
  auto thirds = Filter(base, "mod(x, 3) == 0");
  const uint32_t far = FilteredList::kMaxRemembered + 5 * 4096;
  EXPECT_EQ(thirds->ElementAt(far, UnlimitedBudget()).number(), 3.0 * far);
  EXPECT_EQ(thirds->PassingPositions().size(), FilteredList::kMaxRemembered);
  EXPECT_EQ(thirds->PassedCount(), far + 1u);
  for (uint32_t k : {far - 1, FilteredList::kMaxRemembered + 7, far - 4097, uint32_t{12},
                     FilteredList::kMaxRemembered, far, far + 3}) {
    EXPECT_EQ(thirds->ElementAt(k, UnlimitedBudget()).number(), 3.0 * k) << k;
  }
}

TEST(FilteredListTest, PastTheRememberedPositionsTheGridThinsAndFindsEveryElement) {
  // Small limits: 8 positions one by one, then at most 16 grid points, whose
  // step doubles as the frontier goes on.
  auto thirds = Filter(std::make_shared<CountingList>(), "mod(x, 3) == 0", {8, 16, 4});
  EXPECT_EQ(thirds->ElementAt(300, UnlimitedBudget()).number(), 900);
  EXPECT_EQ(thirds->PassingPositions().size(), 8u);
  std::vector<uint32_t> order;
  for (uint32_t k = 0; k <= 310; ++k) order.push_back((k * 97) % 311);
  for (uint32_t k : order)
    EXPECT_EQ(thirds->ElementAt(k, UnlimitedBudget()).number(), 3.0 * k) << k;
}

TEST(FilteredListTest, NoReadStarves) {
  // Two reads behind the frontier, in different grid steps, each needing
  // several calls, asked in turn (and a third, far one, between): each goes
  // on where its last call stopped, and finishes within the stated bound.
  const char* formula = "n < 4 or mod(n, 100) == 0";
  auto sparse = Filter(std::make_shared<CountingList>(), formula, {4, 4, 2});
  EXPECT_EQ(sparse->ElementAt(43, UnlimitedBudget()).number(), 4000);  // grid step 1024
  const uint64_t per_test = TestCost(formula);
  const uint64_t step = 1024;
  const uint64_t tests_per_call = 150;
  const uint64_t bound = (step + tests_per_call - 1) / tests_per_call + 1;
  Element first;
  Element second;
  uint64_t calls = 0;
  for (; calls < 4 * bound && (first.kind() == kElementNone || second.kind() == kElementNone);
       ++calls) {
    WorkBudget a(tests_per_call * per_test);
    if (first.kind() == kElementNone) first = sparse->ElementAt(30, a);
    WorkBudget far(tests_per_call * per_test);
    sparse->ElementAt(60, far);
    WorkBudget b(tests_per_call * per_test);
    if (second.kind() == kElementNone) second = sparse->ElementAt(38, b);
  }
  EXPECT_EQ(first.number(), 2700);
  EXPECT_EQ(second.number(), 3500);
  EXPECT_LE(calls, bound);
  EXPECT_GT(calls, 2u);
}

TEST(FilteredListTest, AnswersAsTheBaseStandsAfterItChanges) {
  // Positions tested and failed are tested again once the base has changed:
  // each case reads element 0 (None: nothing passes yet), appends 10 to the
  // set that the base rests on, and reads it again.
  struct Case {
    const char* what;
    std::function<ListPtr(std::shared_ptr<ConcreteList>)> build;  // on the growing set
    double after;
  };
  const std::vector<Case> cases = {
      {"a mapped pair whose shorter base grows",
       [](std::shared_ptr<ConcreteList> grows) {
         auto pair = std::make_shared<MappedPairList>(MakeList({Num(1), Num(2), Num(3)}), grows);
         pair->SetFormula("a+b");
         return pair;
       },
       12},
      {"a k-subset reaching past its base's end",
       [](std::shared_ptr<ConcreteList> grows) { return std::make_shared<KSubsetList>(4, grows); },
       10},
      {"a subsequence of a growing set",
       [](std::shared_ptr<ConcreteList> grows) {
         auto picked = std::make_shared<SubsequenceList>(grows);
         picked->SetFormula("n");
         return picked;
       },
       10},
      {"a filter of a growing set",
       [](std::shared_ptr<ConcreteList> grows) { return Filter(grows, "x > 0"); }, 10},
  };
  for (const Case& c : cases) {
    auto grows = MakeList({Num(1)});
    auto filtered = Filter(c.build(grows), "x > 5");
    auto read = [&] {
      WorkBudget call(200000);  // an unbounded base's search ends with the budget
      const Element e = filtered->ElementAt(0, call);
      return e.kind() == kElementNone ? -999 : e.number();
    };
    EXPECT_EQ(read(), -999) << c.what;
    grows->AppendNumber(10);
    EXPECT_EQ(read(), c.after) << c.what;
  }

  // A k-subset stepped in place: the filter tests its new elements.
  auto set = MakeList({Num(1), Num(2), Num(30), Num(40)});
  auto subset = std::make_shared<KSubsetList>(2, set);
  auto big = Filter(subset, "x > 5");
  EXPECT_EQ(big->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  for (int i = 0; i < 3; ++i) subset->NextSubset(UnlimitedBudget());  // {0, 3}
  EXPECT_EQ(big->ElementAt(0, UnlimitedBudget()).number(), 40);
}

TEST(FilteredListTest, FilterOnVirtualLists) {
  // A base built on a finite list still answers -1, so the search runs on
  // until the call's budget ends it, and gives None.
  auto finite = MakeList({Num(1), Num(12), Num(13)});
  auto picked = std::make_shared<SubsequenceList>(ListPtr(finite));
  picked->SetFormula("n");
  auto filtered = Filter(picked, "x > 10");
  EXPECT_EQ(filtered->Depth(), 2u);
  {
    WorkBudget call(100000);
    EXPECT_EQ(filtered->ElementAt(0, call).number(), 12);
    EXPECT_EQ(filtered->ElementAt(1, call).number(), 13);
    EXPECT_EQ(filtered->ElementAt(2, call).kind(), kElementNone);
    EXPECT_TRUE(call.Spent());
  }

  auto evens = Filter(std::make_shared<CountingList>(), "mod(x, 2) == 0");
  auto of_evens = Filter(evens, "mod(x, 3) == 0");
  EXPECT_EQ(of_evens->Depth(), 2u);
  EXPECT_EQ(Numbers(*of_evens, 3), (std::vector<double>{0, 6, 12}));
  EXPECT_EQ(of_evens->PassingPositions(), (std::vector<uint32_t>{0, 3, 6}));
}

}  // namespace

}  // namespace tallyra
