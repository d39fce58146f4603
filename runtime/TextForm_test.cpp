#include "runtime/TextForm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "lists/WorkBudget.h"
#include "lists/testing/UnlimitedBudget.h"
#include "runtime/NumberText.h"

namespace tallyra {

namespace {

// An unbounded list of the numbers 0, 1, 2, ... that counts its reads.
class Counting final : public List {
 public:
  int32_t LengthOf(WorkBudget&) override { return length_; }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    ++reads;
    if (!budget.Charge(1)) return Element::None();
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

  explicit Counting(int32_t length) : length_(length) {}
  uint64_t reads = 0;

 private:
  int32_t length_;
};

std::shared_ptr<ConcreteList> Make(std::initializer_list<Element> elements) {
  auto list = std::make_shared<ConcreteList>();
  for (const Element& e : elements) list->AppendElement(e);
  return list;
}

TEST(SetTextTest, CutAtTheMaximum) {
  auto three = Make({Element::Number(1), Element::Number(2), Element::Number(3)});
  EXPECT_EQ(SetText(*three, 3, UnlimitedBudget()), "[1, 2, 3]");
  EXPECT_EQ(SetText(*three, 10, UnlimitedBudget()), "[1, 2, 3]");
  EXPECT_EQ(SetText(*three, 2, UnlimitedBudget()), "[1, 2, ... ]");
  EXPECT_EQ(SetText(*three, 0, UnlimitedBudget()), "[, ... ]");
  EXPECT_EQ(SetText(*three, -1, UnlimitedBudget()), "[1, 2, 3]");
  auto empty = Make({});
  EXPECT_EQ(SetText(*empty, 0, UnlimitedBudget()), "[]");
  EXPECT_EQ(SetText(*empty, -5, UnlimitedBudget()), "[]");
  auto mixed = Make({Element::Text("a"), Element::Number(2.5), Element::None()});
  EXPECT_EQ(SetText(*mixed, 10, UnlimitedBudget()), "[a, 2.5, ]");
}

TEST(SetTextTest, UnboundedListsReadOnlyTheShownElements) {
  Counting numbers(-1);
  EXPECT_EQ(SetText(numbers, 4, UnlimitedBudget()), "[0, 1, 2, 3, ... ]");
  EXPECT_EQ(numbers.reads, 4u);
}

TEST(SetTextTest, ANegativeMaximumOnAnUnboundedListStopsAtTheByteBound) {
  Counting numbers(-1);
  const std::string text = SetText(numbers, -1, UnlimitedBudget());
  ASSERT_GT(text.size(), kMaxSetTextBytes - 16);
  EXPECT_LE(text.size(), kMaxSetTextBytes + std::string(", ... ]").size());
  EXPECT_EQ(text.substr(0, 7), "[0, 1, ");
  EXPECT_EQ(text.substr(text.size() - 7), ", ... ]");
  // Whole elements only: the last one shown is the one before the first not shown.
  const std::size_t last_start = text.rfind(", ", text.size() - 8) + 2;
  const std::string last = text.substr(last_start, text.size() - 7 - last_start);
  EXPECT_EQ(ElementText(Element::Number(static_cast<double>(numbers.reads - 2))), last);
}

TEST(SetTextTest, AnElementLongerThanTheBoundIsNotShown) {
  auto list = Make({Element::Text(std::string(kMaxSetTextBytes, 'x')), Element::Number(1)});
  EXPECT_EQ(SetText(*list, 5, UnlimitedBudget()), "[, ... ]");
}

TEST(SetTextTest, TheTextIsCutWhereTheCallsBudgetRanOut) {
  auto subset = std::make_shared<KSubsetList>(10, std::make_shared<Counting>(-1));
  WorkBudget probe(UINT64_MAX);
  EXPECT_EQ(SetText(*subset, -1, probe), "[0, 1, 2, 3, 4, 5, 6, 7, 8, 9]");
  // Less than the whole text costs: the elements read in full, then the mark.
  WorkBudget call((UINT64_MAX - probe.remaining()) * 35 / 100);
  EXPECT_EQ(SetText(*subset, -1, call), "[0, 1, 2, ... ]");
  EXPECT_TRUE(call.Spent());
}

// A stored list read through ElementAt, one element and one charge at a
// time, as ConcreteList itself reads (the dispatch pays kListRead of each
// read): what reading the stored elements in place must match.
class ReadOneByOne final : public List {
 public:
  explicit ReadOneByOne(std::shared_ptr<ConcreteList> list) : list_(std::move(list)) {}
  int32_t LengthOf(WorkBudget&) override { return list_->length(); }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    if (index >= static_cast<uint32_t>(list_->length())) {
      budget.Charge(work_cost::kStoredRead - work_cost::kListRead);
      return Element::None();
    }
    const Element& element = list_->StoredAt(index);
    if (!budget.Charge(ConcreteList::ReadCost(element) - work_cost::kListRead))
      return Element::None();
    return element;
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

 private:
  std::shared_ptr<ConcreteList> list_;
};

// A stored list's elements are charged in runs, where the cost is known
// beforehand; the text, where it is cut, and what is left of the budget must
// be those of one charge per element, for every budget.
TEST(SetTextTest, AStoredListIsChargedAsElementByElement) {
  auto list = Make({Element::Number(1), Element::Number(22), Element::Text("a text of 20 bytes.."),
                    Element::None(), Element::Number(-0.5), Element::Number(333),
                    Element::Text(std::string(40, 'x')), Element::Number(4e6), Element::Number(5),
                    Element::Number(6)});
  ReadOneByOne reference(list);
  WorkBudget probe(UINT64_MAX);
  const std::string whole = SetText(*list, -1, probe);
  EXPECT_EQ(whole.substr(0, 37), "[1, 22, a text of 20 bytes.., , -0.5,");
  const uint64_t cost = UINT64_MAX - probe.remaining();
  for (uint64_t allowance = 0; allowance <= cost + 1; ++allowance) {
    for (int32_t maximum : {-1, 6}) {
      WorkBudget stored(allowance);
      WorkBudget one_by_one(allowance);
      EXPECT_EQ(SetText(*list, maximum, stored), SetText(reference, maximum, one_by_one))
          << allowance;
      EXPECT_EQ(stored.remaining(), one_by_one.remaining()) << allowance;
      EXPECT_EQ(stored.Spent(), one_by_one.Spent()) << allowance;
    }
  }
  // A budget spent before the call.
  WorkBudget spent(1);
  spent.Charge(2);
  EXPECT_EQ(SetText(*list, -1, spent), "[, ... ]");
}

// The byte bound cuts a run of numbers where it cuts one read at a time,
// and the number that did not fit is charged as it was read.
TEST(SetTextTest, TheByteBoundCutsARunOfNumbersAsElementByElement) {
  for (std::size_t short_of : {7, 17}) {
    auto list = std::make_shared<ConcreteList>();
    list->AppendText(std::string(kMaxSetTextBytes - 1 - short_of, 'x'));  // after the "["
    for (int i = 0; i < 20; ++i) list->AppendNumber(100000 + i);
    ReadOneByOne reference(list);
    WorkBudget stored(UINT64_MAX);
    WorkBudget one_by_one(UINT64_MAX);
    const std::string text = SetText(*list, -1, stored);
    EXPECT_EQ(text, SetText(reference, -1, one_by_one)) << short_of;
    EXPECT_EQ(stored.remaining(), one_by_one.remaining()) << short_of;
    // ", 100000" is 8 bytes: as many as fit, then the mark.
    const std::size_t shown = short_of / 8;
    EXPECT_EQ(text.size(), kMaxSetTextBytes - short_of + 8 * shown + std::string(", ... ]").size())
        << short_of;
  }
}

}  // namespace

}  // namespace tallyra
