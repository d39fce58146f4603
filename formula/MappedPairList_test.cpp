#include "formula/MappedPairList.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "formula/TestLists.h"
#include "lists/ConcreteList.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

static_assert(!std::is_copy_constructible_v<MappedPairList>);
static_assert(!std::is_move_constructible_v<MappedPairList>);

std::shared_ptr<MappedPairList> Pair(ListPtr first, ListPtr second, const char* formula) {
  auto list = std::make_shared<MappedPairList>(std::move(first), std::move(second));
  list->SetFormula(formula);
  return list;
}

std::shared_ptr<ConcreteList> Numbers(int count) {
  auto list = std::make_shared<ConcreteList>();
  for (int i = 0; i < count; ++i) list->AppendNumber(i + 1);
  return list;
}

// A finite list that records, in one shared log, that it was asked.
class LoggingList final : public List {
 public:
  LoggingList(char name, std::string* log) : name_(name), log_(log) {}
  int32_t LengthOf(WorkBudget&) override {
    *log_ += 'L';
    *log_ += name_;
    return 2;
  }
  Element ElementOf(uint32_t, WorkBudget&) override {
    *log_ += name_;
    return Element::Number(name_ == 'a' ? 10 : 1);
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

 private:
  char name_;
  std::string* log_;
};

TEST(MappedPairListTest, LengthFollowsTheLongerOrTheFiniteBase) {
  ListPtr unbounded = std::make_shared<CountingList>();
  struct Case {
    ListPtr first;
    ListPtr second;
    int32_t length;
  } cases[] = {
      {Numbers(5), Numbers(3), 5}, {Numbers(3), Numbers(5), 5}, {Numbers(4), unbounded, 4},
      {unbounded, Numbers(4), 4},  {unbounded, unbounded, -1},  {Numbers(0), Numbers(0), 0},
  };
  for (const Case& c : cases) {
    auto pair = Pair(c.first, c.second, "a+b");
    EXPECT_EQ(pair->Length(UnlimitedBudget()), c.length);
    if (c.length < 0) {
      EXPECT_EQ(pair->ToConcrete(UnlimitedBudget()), nullptr);
    } else {
      EXPECT_EQ(pair->ToConcrete(UnlimitedBudget())->Length(UnlimitedBudget()), c.length);
    }
  }
}

TEST(MappedPairListTest, ElementsPastTheShorterBaseUseZero) {
  auto pair = Pair(Numbers(5), Numbers(3), "a*100+b*10+n");
  const double expected[] = {110, 221, 332, 403, 504};
  std::shared_ptr<ConcreteList> copy = pair->ToConcrete(UnlimitedBudget());
  ASSERT_EQ(copy->Length(UnlimitedBudget()), 5);
  for (uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(pair->ElementAt(i, UnlimitedBudget()).number(), expected[i]);
    EXPECT_EQ(copy->ElementAt(i, UnlimitedBudget()).number(), expected[i]);
  }
  EXPECT_EQ(pair->Depth(), 1u);
}

TEST(MappedPairListTest, SameListAsBothBases) {
  auto base = MakeList({Num(1.5), Text("7"), Num(-3)});
  auto pair = Pair(base, base, "a-b");
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(pair->ElementAt(i, UnlimitedBudget()).number(), 0);
}

TEST(MappedPairListTest, ReadsFirstThenSecond) {
  std::string log;
  auto pair = Pair(std::make_shared<LoggingList>('a', &log),
                   std::make_shared<LoggingList>('b', &log), "a-b");
  EXPECT_EQ(pair->Length(UnlimitedBudget()), 2);
  EXPECT_EQ(pair->ElementAt(0, UnlimitedBudget()).number(), 9);
  EXPECT_EQ(log, "LaLbab");
}

TEST(MappedPairListTest, FailingFormula) {
  auto pair = Pair(Numbers(2), Numbers(3), "x");
  EXPECT_EQ(pair->Length(UnlimitedBudget()), 3);
  EXPECT_EQ(pair->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(pair->ToConcrete(UnlimitedBudget())->ElementAt(2, UnlimitedBudget()).kind(),
            kElementNone);
}

}  // namespace

}  // namespace tallyra
