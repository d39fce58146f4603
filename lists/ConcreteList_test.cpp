#include "lists/ConcreteList.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "lists/KSubsetList.h"
#include "lists/testing/UnlimitedBudget.h"

namespace {

// A finite list of n numbers 0 .. n-1 that counts its reads.
class CountingList final : public List {
 public:
  explicit CountingList(int32_t length) : length_(length) {}
  int32_t Length() override { return length_; }
  Element ElementAt(uint32_t index, WorkBudget& budget) override {
    ++reads;
    if (!budget.Charge(1)) return Element::None();
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ToConcrete(WorkBudget&) override { return nullptr; }
  int reads = 0;

 private:
  int32_t length_;
};

TEST(ConcreteListTest, AppendsAndReadsBack) {
  auto list = std::make_shared<ConcreteList>();
  EXPECT_EQ(list->Length(), 0);
  EXPECT_EQ(list->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);

  list->AppendText("7");
  list->AppendNumber(2.5);
  list->AppendElement(Element::None());
  ASSERT_EQ(list->Length(), 3);

  const Element text = list->ElementAt(0, UnlimitedBudget());
  EXPECT_EQ(text.kind(), kElementText);
  EXPECT_EQ(text.text(), "7");
  EXPECT_EQ(ElementNumber(text), 7);

  const Element number = list->ElementAt(1, UnlimitedBudget());
  EXPECT_EQ(number.kind(), kElementNumber);
  EXPECT_EQ(number.number(), 2.5);
  EXPECT_EQ(number.text(), "");

  EXPECT_EQ(list->ElementAt(2, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(list->ElementAt(3, UnlimitedBudget()).kind(), kElementNone);
  EXPECT_EQ(list->ElementAt(0xFFFFFFFFu, UnlimitedBudget()).kind(), kElementNone);
}

TEST(ConcreteListTest, ElementsAreCopiesAndTheConcreteFormIsTheListItself) {
  auto list = std::make_shared<ConcreteList>();
  list->AppendText("a");
  Element copy = list->ElementAt(0, UnlimitedBudget());
  copy = Element::Text("changed");
  EXPECT_EQ(list->ElementAt(0, UnlimitedBudget()).text(), "a");

  std::shared_ptr<ConcreteList> concrete = list->ToConcrete(UnlimitedBudget());
  EXPECT_EQ(concrete.get(), list.get());
  concrete->AppendNumber(1);
  EXPECT_EQ(list->Length(), 2);
}

TEST(ConcreteListTest, AppendedTextsAreSharedNotCopied) {
  auto list = std::make_shared<ConcreteList>();
  const Element given = Element::Text("shared text");
  list->AppendElement(given);
  list->AppendElement(Element(given));
  for (uint32_t i = 0; i < 2; ++i) {
    const Element back = list->ElementAt(i, UnlimitedBudget());
    EXPECT_EQ(back.kind(), kElementText);
    EXPECT_EQ(back.text().data(), given.text().data()) << i;
  }
}

TEST(MakeConcreteCopyTest, CopiesFiniteListsInIndexOrderOnce) {
  CountingList source(4);
  auto copy = MakeConcreteCopy(source, UnlimitedBudget());
  ASSERT_EQ(copy->Length(), 4);
  EXPECT_EQ(source.reads, 4);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(copy->ElementAt(i, UnlimitedBudget()).number(), i);
}

TEST(MakeConcreteCopyTest, EmptyForUnboundedAndEmptyLists) {
  for (int32_t length : {-1, 0, -5}) {
    CountingList source(length);
    auto copy = MakeConcreteCopy(source, UnlimitedBudget());
    EXPECT_EQ(copy->Length(), 0);
    EXPECT_EQ(source.reads, 0);
  }
}

TEST(MakeConcreteCopyTest, RefusesListsTooLongToHoldBeforeReadingThem) {
  CountingList source(static_cast<int32_t>(ConcreteList::kMaxLength) + 1);
  EXPECT_THROW(MakeConcreteCopy(source, UnlimitedBudget()), std::length_error);
  EXPECT_EQ(source.reads, 0);
}

TEST(MakeConcreteCopyTest, ACopyMadeAtOnceHoldsAtMostSixteenMegabytes) {
  // Counted as 16 bytes an element: a million numbers.
  const auto most =
      static_cast<int32_t>(ConcreteList::kMaxCopyBytes / ConcreteList::kCopyBytesPerElement);
  EXPECT_EQ(most, 1 << 20);
  CountingList longest(most);
  EXPECT_EQ(MakeConcreteCopy(longest, UnlimitedBudget())->Length(), most);
  CountingList longer(most + 1);
  EXPECT_THROW(MakeConcreteCopy(longer, UnlimitedBudget()), std::length_error);
  EXPECT_EQ(longer.reads, 0);

  // And the bytes of texts: a subset of four 4 MB texts is refused once the
  // fourth is read, with no more than that read.
  auto texts = std::make_shared<ConcreteList>();
  for (int i = 0; i < 4; ++i) texts->AppendText(std::string(std::size_t{4} << 20, 't'));
  KSubsetList all(4, texts);
  EXPECT_THROW(MakeConcreteCopy(all, UnlimitedBudget()), std::length_error);
  KSubsetList three(3, texts);
  EXPECT_EQ(MakeConcreteCopy(three, UnlimitedBudget())->Length(), 3);
}

TEST(MakeConcreteCopyTest, ACopyCutShortByTheBudgetIsRefused) {
  KSubsetList subset(100, std::make_shared<CountingList>(1000));
  WorkBudget call(50);
  EXPECT_THROW(MakeConcreteCopy(subset, call), std::length_error);
}

}  // namespace
