#include "lists/ConcreteList.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "lists/KSubsetList.h"
#include "lists/SearchBudget.h"

namespace {

// A finite list of n numbers 0 .. n-1 that counts its reads.
class CountingList final : public List {
 public:
  explicit CountingList(int32_t length) : length_(length) {}
  int32_t Length() override { return length_; }
  Element ElementAt(uint32_t index) override {
    ++reads;
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }
  int reads = 0;

 private:
  int32_t length_;
};

TEST(ConcreteListTest, AppendsAndReadsBack) {
  auto list = std::make_shared<ConcreteList>();
  EXPECT_EQ(list->Length(), 0);
  EXPECT_EQ(list->ElementAt(0).kind, kElementNone);

  list->AppendText("7");
  list->AppendNumber(2.5);
  list->AppendElement(Element::None());
  ASSERT_EQ(list->Length(), 3);

  const Element text = list->ElementAt(0);
  EXPECT_EQ(text.kind, kElementText);
  EXPECT_EQ(text.text, "7");
  EXPECT_EQ(ElementNumber(text), 7);

  const Element number = list->ElementAt(1);
  EXPECT_EQ(number.kind, kElementNumber);
  EXPECT_EQ(number.number, 2.5);
  EXPECT_EQ(number.text, "");

  EXPECT_EQ(list->ElementAt(2).kind, kElementNone);
  EXPECT_EQ(list->ElementAt(3).kind, kElementNone);
  EXPECT_EQ(list->ElementAt(0xFFFFFFFFu).kind, kElementNone);
}

TEST(ConcreteListTest, ElementsAreCopiesAndTheConcreteFormIsTheListItself) {
  auto list = std::make_shared<ConcreteList>();
  list->AppendText("a");
  Element copy = list->ElementAt(0);
  copy.text = "changed";
  EXPECT_EQ(list->ElementAt(0).text, "a");

  std::shared_ptr<ConcreteList> concrete = list->ToConcrete();
  EXPECT_EQ(concrete.get(), list.get());
  concrete->AppendNumber(1);
  EXPECT_EQ(list->Length(), 2);
}

TEST(ConcreteListTest, AppendElementKeepsTheWholeRecord) {
  auto list = std::make_shared<ConcreteList>();
  Element odd = Element::Text("x");
  odd.number = 4;  // not meaningful for a Text, but kept as it was given
  list->AppendElement(odd);
  const Element back = list->ElementAt(0);
  EXPECT_EQ(back.kind, kElementText);
  EXPECT_EQ(back.text, "x");
  EXPECT_EQ(back.number, 4);
}

TEST(MakeConcreteCopyTest, CopiesFiniteListsInIndexOrderOnce) {
  CountingList source(4);
  auto copy = MakeConcreteCopy(source);
  ASSERT_EQ(copy->Length(), 4);
  EXPECT_EQ(source.reads, 4);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(copy->ElementAt(i).number, i);
}

TEST(MakeConcreteCopyTest, EmptyForUnboundedAndEmptyLists) {
  for (int32_t length : {-1, 0, -5}) {
    CountingList source(length);
    auto copy = MakeConcreteCopy(source);
    EXPECT_EQ(copy->Length(), 0);
    EXPECT_EQ(source.reads, 0);
  }
}

TEST(MakeConcreteCopyTest, RefusesListsTooLongToHoldBeforeReadingThem) {
  CountingList source(static_cast<int32_t>(ConcreteList::kMaxLength) + 1);
  EXPECT_THROW(MakeConcreteCopy(source), std::length_error);
  EXPECT_EQ(source.reads, 0);
}

TEST(MakeConcreteCopyTest, ACopyMadeAtOnceHoldsAtMostAMillionElements) {
  CountingList longest(static_cast<int32_t>(ConcreteList::kMaxCopyLength));
  EXPECT_EQ(MakeConcreteCopy(longest)->Length(),
            static_cast<int32_t>(ConcreteList::kMaxCopyLength));
  CountingList longer(static_cast<int32_t>(ConcreteList::kMaxCopyLength) + 1);
  EXPECT_THROW(MakeConcreteCopy(longer), std::length_error);
  EXPECT_EQ(longer.reads, 0);
}

TEST(MakeConcreteCopyTest, ACopyCutShortByTheBudgetIsRefused) {
  KSubsetList subset(100, std::make_shared<CountingList>(1000));
  SearchBudget::Scope call(50);
  EXPECT_THROW(MakeConcreteCopy(subset), std::length_error);
}

}  // namespace
