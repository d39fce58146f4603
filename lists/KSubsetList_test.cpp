#include "lists/KSubsetList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lists/ConcreteList.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

// The unbounded list 0, 1, 2, ... of numbers.
class NaturalNumbers final : public List {
 public:
  int32_t LengthOf(WorkBudget&) override { return -1; }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    if (!budget.Charge(1)) return Element::None();
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }
};

ListPtr Naturals() { return std::make_shared<NaturalNumbers>(); }

std::shared_ptr<ConcreteList> NumberList(uint32_t n) {
  auto list = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < n; ++i) list->AppendNumber(i);
  return list;
}

// The list's elements 0 .. Length()-1 as numbers; -1 for a None element.
std::vector<double> Numbers(List& list) {
  std::vector<double> numbers;
  for (int32_t i = 0; i < list.Length(UnlimitedBudget()); ++i) {
    const Element e = list.ElementAt(static_cast<uint32_t>(i), UnlimitedBudget());
    numbers.push_back(e.kind() == kElementNone ? -1 : ElementNumber(e));
  }
  return numbers;
}

std::vector<double> AsNumbers(const std::vector<uint32_t>& indices) {
  return std::vector<double>(indices.begin(), indices.end());
}

// All k-subsets of {0 .. n-1}, by the numeric value of their masks.
std::vector<std::vector<uint32_t>> ColexOrder(uint32_t n, uint32_t k) {
  std::vector<std::vector<uint32_t>> subsets;
  for (uint32_t mask = 0; mask < (1u << n); ++mask) {
    if (static_cast<uint32_t>(__builtin_popcount(mask)) != k) continue;
    std::vector<uint32_t> subset;
    for (uint32_t i = 0; i < n; ++i) {
      if ((mask >> i) & 1u) subset.push_back(i);
    }
    subsets.push_back(subset);
  }
  return subsets;
}

// The next subset in colexicographic order, one bit at a time: the lowest set
// bit whose upper neighbour is clear moves up by one, and the set bits below it
// move down to the bottom.
void ReferenceStep(std::vector<bool>& bits) {
  std::size_t below = 0;  // set bits passed
  for (std::size_t p = 0;; ++p) {
    if (p + 1 >= bits.size()) bits.resize(p + 2, false);
    if (!bits[p]) continue;
    if (!bits[p + 1]) {
      bits[p] = false;
      bits[p + 1] = true;
      for (std::size_t i = 0; i < p; ++i) bits[i] = i < below;
      return;
    }
    ++below;
  }
}

std::vector<uint32_t> SetPositions(const std::vector<bool>& bits) {
  std::vector<uint32_t> positions;
  for (uint32_t i = 0; i < bits.size(); ++i) {
    if (bits[i]) positions.push_back(i);
  }
  return positions;
}

TEST(KSubsetListTest, RunsThroughAllSubsetsInColexOrderAndStartsAgain) {
  for (uint32_t n = 1; n <= 9; ++n) {
    for (uint32_t k = 1; k <= n; ++k) {
      SCOPED_TRACE("n=" + std::to_string(n) + " k=" + std::to_string(k));
      KSubsetList list(static_cast<int32_t>(k), ListPtr(NumberList(n)));
      const auto expected = ColexOrder(n, k);
      for (int cycle = 0; cycle < 2; ++cycle) {
        for (const auto& subset : expected) {
          ASSERT_EQ(list.Length(UnlimitedBudget()), static_cast<int32_t>(k));
          ASSERT_EQ(Numbers(list), AsNumbers(subset));
          ASSERT_EQ(list.ElementAt(k, UnlimitedBudget()).kind(), kElementNone);
          list.NextSubset(UnlimitedBudget());
        }
      }
      EXPECT_EQ(Numbers(list), AsNumbers(expected.front()));
    }
  }
}

TEST(KSubsetListTest, TextBaseAndConcreteCopies) {
  auto base = std::make_shared<ConcreteList>();
  for (const char* text : {"w", "x", "y", "z"}) base->AppendText(text);
  auto list = std::make_shared<KSubsetList>(2, ListPtr(base));
  EXPECT_EQ(list->Depth(), 1u);

  auto texts = [](List& l) {
    std::string joined;
    for (int32_t i = 0; i < l.Length(UnlimitedBudget()); ++i) {
      const Element e = l.ElementAt(static_cast<uint32_t>(i), UnlimitedBudget());
      EXPECT_EQ(e.kind(), kElementText);
      joined += e.text();
    }
    return joined;
  };
  const std::vector<std::string> expected = {"wx", "wy", "xy", "wz", "xz", "yz", "wx"};
  std::shared_ptr<ConcreteList> copy;
  for (std::size_t step = 0; step < expected.size(); ++step) {
    EXPECT_EQ(texts(*list), expected[step]) << step;
    if (step == 1) copy = list->ToConcrete(UnlimitedBudget());
    list->NextSubset(UnlimitedBudget());
  }
  ASSERT_NE(copy.get(), nullptr);
  EXPECT_NE(static_cast<List*>(copy.get()), static_cast<List*>(list.get()));
  EXPECT_EQ(texts(*copy), "wy");  // a copy: later steps do not reach it

  KSubsetList on_subsets(1, ListPtr(list));
  EXPECT_EQ(on_subsets.Depth(), 2u);
}

TEST(KSubsetListTest, SubsetLargerThanItsBase) {
  // n = 2, k = 3: {0,1,2} and {0,1,3} alternate; positions past the base read None.
  KSubsetList list(3, ListPtr(NumberList(2)));
  for (int step = 0; step < 4; ++step) {
    EXPECT_EQ(list.Length(UnlimitedBudget()), 3);
    EXPECT_EQ(Numbers(list), (std::vector<double>{0, 1, -1}));
    EXPECT_EQ(list.mask(), BigUnsigned(step % 2 == 0 ? 0x7 : 0xB)) << step;
    list.NextSubset(UnlimitedBudget());
  }
  const std::shared_ptr<ConcreteList> copy = list.ToConcrete(UnlimitedBudget());
  ASSERT_EQ(copy->Length(UnlimitedBudget()), 3);
  EXPECT_EQ(copy->ElementAt(2, UnlimitedBudget()).kind(), kElementNone);

  // k > n + 1: every next subset has bit n set, so every step starts again.
  KSubsetList wider(5, ListPtr(NumberList(2)));
  for (int step = 0; step < 3; ++step) {
    wider.NextSubset(UnlimitedBudget());
    EXPECT_EQ(wider.mask(), BigUnsigned(0x1F));
  }
}

TEST(KSubsetListTest, EmptyAndNegativeSizesStayEmpty) {
  for (int32_t k : {0, -1, -7, INT32_MIN}) {
    KSubsetList list(k, ListPtr(NumberList(3)));
    EXPECT_EQ(list.Length(UnlimitedBudget()), k);
    EXPECT_EQ(list.ElementAt(0, UnlimitedBudget()).kind(), kElementNone);
    EXPECT_EQ(list.ElementAt(0xFFFFFFFFu, UnlimitedBudget()).kind(), kElementNone);
    list.NextSubset(UnlimitedBudget());
    list.NextSubset(UnlimitedBudget());
    EXPECT_EQ(list.mask().length(), 0u);
    EXPECT_EQ(list.ToConcrete(UnlimitedBudget())->Length(UnlimitedBudget()), 0);
  }
}

// Over an unbounded base nothing resets; the mask grows over several blocks
// and each subset is the one that the bit-by-bit reference step gives.
TEST(KSubsetListTest, UnboundedBaseFollowsTheReferenceStep) {
  struct Case {
    int32_t k;
    int steps;
  };
  for (const Case& c : {Case{1, 200}, Case{2, 6000}, Case{3, 25000}, Case{33, 2000}, Case{40, 3000},
                        Case{70, 5000}}) {
    SCOPED_TRACE(c.k);
    KSubsetList list(c.k, Naturals());
    std::vector<bool> reference(static_cast<std::size_t>(c.k), true);
    for (int step = 0; step < c.steps; ++step) {
      const std::vector<uint32_t> positions = SetPositions(reference);
      // The first and the last element at every step, all of them now and then.
      ASSERT_EQ(ElementNumber(list.ElementAt(0, UnlimitedBudget())), positions.front()) << step;
      ASSERT_EQ(ElementNumber(list.ElementAt(c.k - 1, UnlimitedBudget())), positions.back())
          << step;
      if (step % 50 == 0) {
        ASSERT_EQ(Numbers(list), AsNumbers(positions)) << step;
      }
      list.NextSubset(UnlimitedBudget());
      ReferenceStep(reference);
    }
    EXPECT_GT(list.mask().length(), 1u);
    EXPECT_EQ(list.mask().bitLength(), SetPositions(reference).back() + 1);
  }
}

TEST(KSubsetListTest, ElementsReadInAnyOrderMatchThoseReadInOrder) {
  std::mt19937 rng(2024);
  for (int32_t k : {1, 5, 40, 100}) {
    KSubsetList list(k, Naturals());
    for (int round = 0; round < 30; ++round) {
      const int steps = static_cast<int>(rng() % 400);
      for (int s = 0; s < steps; ++s) list.NextSubset(UnlimitedBudget());
      // Read one element first so that the cursor sits somewhere inside.
      (void)list.ElementAt(static_cast<uint32_t>(rng() % static_cast<uint32_t>(k)),
                           UnlimitedBudget());
      const std::vector<double> in_order = Numbers(list);
      ASSERT_TRUE(std::is_sorted(in_order.begin(), in_order.end()));
      for (int read = 0; read < 3 * k; ++read) {
        const uint32_t index = static_cast<uint32_t>(rng() % static_cast<uint32_t>(k + 2));
        const Element e = list.ElementAt(index, UnlimitedBudget());
        const double number = e.kind() == kElementNone ? -1 : ElementNumber(e);
        ASSERT_EQ(number, index < in_order.size() ? in_order[index] : -1) << k << " " << index;
      }
      for (int32_t i = k; i-- > 0;) {  // backwards
        ASSERT_EQ(ElementNumber(list.ElementAt(static_cast<uint32_t>(i), UnlimitedBudget())),
                  in_order[i]);
      }
    }
  }
}

TEST(KSubsetListTest, ElementsAppendedToTheBaseExtendTheRange) {
  auto grown = NumberList(3);
  KSubsetList on_grown(2, ListPtr(grown));
  KSubsetList on_fixed(2, ListPtr(NumberList(3)));
  for (int step = 0; step < 2; ++step) {
    on_grown.NextSubset(UnlimitedBudget());
    on_fixed.NextSubset(UnlimitedBudget());
  }
  EXPECT_EQ(Numbers(on_grown), (std::vector<double>{1, 2}));  // the last 2-subset of 3

  grown->AppendNumber(3);
  on_grown.NextSubset(UnlimitedBudget());
  on_fixed.NextSubset(UnlimitedBudget());
  EXPECT_EQ(Numbers(on_grown), (std::vector<double>{0, 3}));
  EXPECT_EQ(Numbers(on_fixed), (std::vector<double>{0, 1}));  // started again
}

// Two thousand million chosen: the first subset is built a block at a time,
// and the first step moves its top element over one.
TEST(KSubsetListTest, VeryLargeSubsetOfAnUnboundedBase) {
  const int32_t k = 2000000000;
  KSubsetList list(k, Naturals());
  EXPECT_EQ(list.Length(UnlimitedBudget()), k);
  EXPECT_EQ(list.mask().bitLength(), static_cast<uint64_t>(k));
  EXPECT_EQ(ElementNumber(list.ElementAt(0, UnlimitedBudget())), 0);
  EXPECT_EQ(ElementNumber(list.ElementAt(k - 1, UnlimitedBudget())), k - 1);
  EXPECT_EQ(list.ElementAt(k, UnlimitedBudget()).kind(), kElementNone);

  list.NextSubset(UnlimitedBudget());  // {0 .. k-2, k}
  EXPECT_EQ(ElementNumber(list.ElementAt(k - 1, UnlimitedBudget())), k);
  EXPECT_EQ(ElementNumber(list.ElementAt(k - 2, UnlimitedBudget())), k - 2);
  list.NextSubset(UnlimitedBudget());  // {0 .. k-3, k-1, k}
  EXPECT_EQ(ElementNumber(list.ElementAt(k - 2, UnlimitedBudget())), k - 1);
  EXPECT_EQ(ElementNumber(list.ElementAt(k - 3, UnlimitedBudget())), k - 3);
  EXPECT_EQ(ElementNumber(list.ElementAt(0, UnlimitedBudget())), 0);
}

}  // namespace

}  // namespace tallyra
