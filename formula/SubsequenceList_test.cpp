#include "formula/SubsequenceList.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "formula/TestLists.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

static_assert(!std::is_copy_constructible_v<SubsequenceList>);
static_assert(!std::is_move_constructible_v<SubsequenceList>);

std::shared_ptr<SubsequenceList> Sub(ListPtr base, const char* formula) {
  auto list = std::make_shared<SubsequenceList>(std::move(base));
  list->SetFormula(formula);
  return list;
}

std::string Texts(List& list, uint32_t count) {
  std::string out;
  for (uint32_t i = 0; i < count; ++i) {
    const Element e = list.ElementAt(i, UnlimitedBudget());
    out += e.kind() == kElementNone ? std::string("-") : e.text();
  }
  return out;
}

TEST(SubsequenceListTest, PicksTheBaseElementsThemselves) {
  auto letters = MakeList({Text("a"), Text("b"), Text("c"), Text("d"), Text("e")});
  auto evens = Sub(letters, "2*n");
  EXPECT_EQ(Texts(*evens, 4), "ace-");
  EXPECT_EQ(evens->Length(UnlimitedBudget()), -1);
  EXPECT_EQ(evens->ToConcrete(UnlimitedBudget()), nullptr);
  EXPECT_EQ(evens->Depth(), 1u);

  // 2-n at index 3 is -1: position 4294967295, past the end.
  EXPECT_EQ(Texts(*Sub(MakeList({Text("a"), Text("b"), Text("c")}), "2-n"), 4), "cba-");

  auto mixed = MakeList({Num(2.5), Text("x"), Element::None()});
  auto same = Sub(mixed, "n");
  EXPECT_EQ(same->ElementAt(0, UnlimitedBudget()).kind(), kElementNumber);
  EXPECT_EQ(same->ElementAt(0, UnlimitedBudget()).number(), 2.5);
  EXPECT_EQ(same->ElementAt(1, UnlimitedBudget()).text(), "x");
  EXPECT_EQ(same->ElementAt(2, UnlimitedBudget()).kind(), kElementNone);
}

TEST(SubsequenceListTest, PositionIsTruncatedToItsLow32Bits) {
  auto base = std::make_shared<CountingList>();
  struct Case {
    const char* formula;
    double position;
  } cases[] = {
      {"1.99", 1},       {"-0.99", 0},      {"2.9", 2},    {"-1", 4294967295.0},
      {"4294967296", 0}, {"4294967301", 5}, {"0/0", 0},    {"1/0", 0},
      {"1e19", 0},       {"-2^63", 0},      {"2^52+7", 7}, {"n*1000", 3000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sub(base, c.formula)->ElementAt(3, UnlimitedBudget()).number(), c.position)
        << c.formula;
  }
}

TEST(SubsequenceListTest, FailuresGiveNone) {
  auto letters = MakeList({Text("a")});
  EXPECT_EQ(Sub(letters, "x")->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(Sub(letters, "n+")->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  // The guard covers the read of the base too.
  auto throwing = Sub(std::make_shared<ThrowingList>(7), "n");
  EXPECT_EQ(throwing->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(throwing->Depth(), 8u);
}

}  // namespace

}  // namespace tallyra
