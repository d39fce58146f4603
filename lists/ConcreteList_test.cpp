#include "lists/ConcreteList.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "lists/KSubsetList.h"
#include "lists/testing/FailingAllocator.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

// A finite list of n numbers 0 .. n-1 that counts its reads.
class CountingList final : public List {
 public:
  explicit CountingList(int32_t length) : length_(length) {}
  int32_t LengthOf(WorkBudget&) override { return length_; }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    ++reads;
    if (!budget.Charge(1)) return Element::None();
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }
  int reads = 0;

 private:
  int32_t length_;
};

TEST(ConcreteListTest, AppendsAndReadsBack) {
  auto list = std::make_shared<ConcreteList>();
  EXPECT_EQ(list->Length(UnlimitedBudget()), 0);
  EXPECT_EQ(list->ElementAt(0, UnlimitedBudget()).kind(), kElementNone);

  list->AppendText("7");
  list->AppendNumber(2.5);
  list->AppendElement(Element::None());
  ASSERT_EQ(list->Length(UnlimitedBudget()), 3);

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
  EXPECT_EQ(list->Length(UnlimitedBudget()), 2);
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

constexpr uint32_t kBlock = ConcreteList::kBlockLength;

// A list of n elements: the number i, or for every third the text of i.
std::shared_ptr<ConcreteList> Numbered(uint32_t n) {
  auto list = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < n; ++i) {
    if (i % 3 == 0) {
      list->AppendText(std::to_string(i));
    } else {
      list->AppendNumber(i);
    }
  }
  return list;
}

// Checks that list holds Numbered(n)'s elements, and nothing more unless `more`.
void ExpectNumbered(ConcreteList& list, uint32_t n, bool more = false) {
  ASSERT_GE(list.Length(UnlimitedBudget()), static_cast<int32_t>(n));
  if (!more) {
    ASSERT_EQ(list.Length(UnlimitedBudget()), static_cast<int32_t>(n));
  }
  for (uint32_t i : {0u, kBlock - 1, kBlock, 2 * kBlock - 1, 2 * kBlock, n - 1}) {
    if (i >= n) continue;
    const Element e = list.ElementAt(i, UnlimitedBudget());
    EXPECT_EQ(ElementNumber(e), i) << i;
    EXPECT_EQ(e.kind(), i % 3 == 0 ? kElementText : kElementNumber) << i;
    EXPECT_EQ(&list.StoredAt(i), list.ReadAt(i, UnlimitedBudget())) << i;
  }
  if (!more) {
    EXPECT_EQ(list.ElementAt(n, UnlimitedBudget()).kind(), kElementNone);
  }
}

TEST(ConcreteListTest, ElementsOnEitherSideOfABlocksEdge) {
  for (uint32_t n : {kBlock - 1, kBlock, kBlock + 1, 2 * kBlock, 2 * kBlock + 1, 5 * kBlock + 7}) {
    SCOPED_TRACE(n);
    ExpectNumbered(*Numbered(n), n);
  }
}

TEST(ConcreteListTest, RunsCoverARangeInOrderAndStopWhenAsked) {
  auto list = Numbered(3 * kBlock + 5);
  for (const auto& range : std::vector<std::pair<uint32_t, uint32_t>>{
           {0, 3 * kBlock + 5}, {kBlock - 1, kBlock + 1}, {5, 2 * kBlock}, {7, 7}, {9, 3}}) {
    uint32_t next = range.first;
    EXPECT_TRUE(
        list->ForEachRun(range.first, range.second, [&](const Element* first, uint32_t count) {
          EXPECT_GT(count, 0u);
          for (uint32_t i = 0; i < count; ++i) EXPECT_EQ(&first[i], &list->StoredAt(next + i));
          next += count;
          return true;
        }));
    EXPECT_EQ(next, std::max(range.first, range.second)) << range.first << ".." << range.second;
  }
  uint32_t runs = 0;
  EXPECT_FALSE(list->ForEachRun(0, 1u << 30, [&](const Element*, uint32_t) { return ++runs < 2; }));
  EXPECT_EQ(runs, 2u);
}

TEST(ConcreteListTest, AnAppendThatCannotGetMemoryLeavesTheListAsItWas) {
  // An appended text allocates its bytes first; at a block's edge the table
  // then grows (at 1 and 3 blocks it is full) and a new block is allocated.
  // Each of these allocations fails in turn.
  const struct {
    uint32_t length;
    int64_t succeeding;
  } cases[] = {{5, 0}, {kBlock, 0}, {kBlock, 1}, {kBlock, 2}, {3 * kBlock, 1}, {3 * kBlock, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " " << c.succeeding);
    auto list = Numbered(c.length);
    failing_allocator::FailAfter(c.succeeding);
    EXPECT_THROW(list->AppendText("a text too long to be held in place"), std::bad_alloc);
    failing_allocator::FailNone();
    ExpectNumbered(*list, c.length);
    list->AppendNumber(c.length);
    EXPECT_EQ(list->ElementAt(c.length, UnlimitedBudget()).number(), c.length);
  }
}

TEST(ConcreteListTest, AppendingAllThatCannotGetMemoryLeavesTheListAsItWas) {
  // The elements' texts are held already; the blocks and the table are not:
  // the last block's one free slot, then blocks to fill.
  for (int64_t succeeding : {0, 1, 2}) {
    SCOPED_TRACE(succeeding);
    auto list = Numbered(kBlock - 1);
    std::vector<Element> elements;
    for (uint32_t i = 0; i < 2 * kBlock; ++i) elements.push_back(Element::Text("texts held apart"));
    const int64_t before = failing_allocator::LiveBlocks();
    failing_allocator::FailAfter(succeeding);
    EXPECT_THROW(list->AppendAll(std::move(elements)), std::bad_alloc);
    failing_allocator::FailNone();
    ExpectNumbered(*list, kBlock - 1);
    EXPECT_LE(failing_allocator::LiveBlocks(), before);
    list->AppendText("then one more");
    EXPECT_EQ(list->ElementAt(kBlock - 1, UnlimitedBudget()).text(), "then one more");
  }
}

TEST(ConcreteListTest, ReleasesItsBlocksAndTexts) {
  const int64_t before = failing_allocator::LiveBlocks();
  Numbered(2 * kBlock + 3).reset();
  EXPECT_EQ(failing_allocator::LiveBlocks(), before);
}

TEST(MakeConcreteCopyTest, CopiesAStoredListAcrossBlocksChargedAsItsReads) {
  const uint32_t n = 2 * kBlock + 9;
  auto list = Numbered(n);
  uint64_t reads = 0;
  for (uint32_t i = 0; i < n; ++i) reads += ConcreteList::ReadCost(list->StoredAt(i));
  WorkBudget budget(work_cost::kLengthQuery + reads + 5);
  auto copy = MakeConcreteCopy(*list, budget);
  EXPECT_EQ(budget.remaining(), 5u);
  ExpectNumbered(*copy, n);
  EXPECT_EQ(copy->StoredAt(0).text().data(), list->StoredAt(0).text().data());  // texts shared

  for (uint64_t allowance : {reads - 1, uint64_t{kBlock}, uint64_t{0}}) {
    WorkBudget too_little(allowance);
    EXPECT_THROW(MakeConcreteCopy(*list, too_little), std::length_error);
    EXPECT_TRUE(too_little.Spent());
  }

  // A stored list's texts count in the copy's bytes as any list's do.
  auto texts = std::make_shared<ConcreteList>();
  for (int i = 0; i < 4; ++i) texts->AppendText(std::string(std::size_t{4} << 20, 't'));
  EXPECT_THROW(MakeConcreteCopy(*texts, UnlimitedBudget()), std::length_error);
}

TEST(MakeConcreteCopyTest, CopiesFiniteListsInIndexOrderOnce) {
  CountingList source(4);
  auto copy = MakeConcreteCopy(source, UnlimitedBudget());
  ASSERT_EQ(copy->Length(UnlimitedBudget()), 4);
  EXPECT_EQ(source.reads, 4);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(copy->ElementAt(i, UnlimitedBudget()).number(), i);
}

TEST(MakeConcreteCopyTest, EmptyForUnboundedAndEmptyLists) {
  for (int32_t length : {-1, 0, -5}) {
    CountingList source(length);
    auto copy = MakeConcreteCopy(source, UnlimitedBudget());
    EXPECT_EQ(copy->Length(UnlimitedBudget()), 0);
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
  EXPECT_EQ(MakeConcreteCopy(longest, UnlimitedBudget())->Length(UnlimitedBudget()), most);
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
  EXPECT_EQ(MakeConcreteCopy(three, UnlimitedBudget())->Length(UnlimitedBudget()), 3);
}

TEST(MakeConcreteCopyTest, ACopyCutShortByTheBudgetIsRefused) {
  KSubsetList subset(100, std::make_shared<CountingList>(1000));
  WorkBudget call(50);
  EXPECT_THROW(MakeConcreteCopy(subset, call), std::length_error);
}

}  // namespace

}  // namespace tallyra
