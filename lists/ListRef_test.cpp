#include "lists/ListRef.h"

#include <gtest/gtest.h>

namespace tallyra {

namespace {

int live = 0;

// A list resting on one other list, like every virtual list built on a set.
class ChainLink final : public List {
 public:
  explicit ChainLink(ListRef base) : base_(std::move(base)) { ++live; }
  ~ChainLink() override { --live; }
  int32_t LengthOf(WorkBudget&) override { return 0; }
  Element ElementOf(uint32_t, WorkBudget&) override { return Element::None(); }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

 private:
  ListRef base_;
};

TEST(ListRefTest, ALongChainIsReleasedWithoutRecursion) {
  // A million links would overflow any stack if each release nested the next.
  {
    ListRef top;
    for (int i = 0; i < 1000000; ++i) top = ListRef(std::make_shared<ChainLink>(top));
    EXPECT_EQ(live, 1000000);
  }
  EXPECT_EQ(live, 0);
}

TEST(ListRefTest, AListLivesWhileAnyReferenceDoes) {
  ListRef base(std::make_shared<ChainLink>(ListRef()));
  ListRef other = base;
  {
    ListRef on_top(std::make_shared<ChainLink>(base));
    base = ListRef();
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 1);
  other = ListRef();
  EXPECT_EQ(live, 0);
}

TEST(ListRefTest, TheLiveCountFollowsTheListsInBeing) {
  const uint32_t before = List::LiveCount();
  {
    ListRef top;
    for (int i = 0; i < 1000; ++i) top = ListRef(std::make_shared<ChainLink>(top));
    ListRef shared = top;
    EXPECT_EQ(List::LiveCount(), before + 1000);
  }
  EXPECT_EQ(List::LiveCount(), before);
}

}  // namespace

}  // namespace tallyra
