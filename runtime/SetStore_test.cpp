#include "runtime/SetStore.h"

#include <gtest/gtest.h>

#include <memory>

#include "lists/ConcreteList.h"
#include "lists/PrimeList.h"
#include "lists/testing/UnlimitedBudget.h"
#include "runtime/testing/RoutineTest.h"

namespace tallyra {

namespace {

// A virtual list resting on one base, as the defining actions build them.
class OnTop final : public List {
 public:
  explicit OnTop(ListRef base) : base_(std::move(base)) {}
  int32_t LengthOf(WorkBudget& budget) override { return base_->Length(budget); }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    return base_->ElementAt(index, budget);
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

 private:
  ListRef base_;
};

TEST(SetStoreTest, LookUpWithAndWithoutCreate) {
  SetStore store;
  EXPECT_EQ(store.LookUpSet("a", false), nullptr);
  EXPECT_EQ(store.size(), 0u);
  ListRef* created = store.LookUpSet("a", true);
  ASSERT_NE(created, nullptr);
  ASSERT_NE(dynamic_cast<ConcreteList*>(created->get()), nullptr);
  EXPECT_EQ((*created)->Length(UnlimitedBudget()), 0);
  EXPECT_EQ(store.LookUpSet("a", true), created);
  EXPECT_EQ(store.LookUpSet("a", false), created);
  EXPECT_EQ(store.size(), 1u);
  // Byte for byte: case, blanks and the empty name all count.
  EXPECT_EQ(store.LookUpSet("A", false), nullptr);
  EXPECT_EQ(store.LookUpSet("a ", false), nullptr);
  ListRef* empty = store.LookUpSet("", true);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(empty, created);
  EXPECT_EQ(store.LookUpSet("", false), empty);
  EXPECT_EQ(store.size(), 2u);
  // The last name found is remembered; others are still found after it.
  EXPECT_EQ(store.LookUpSet("a", false), created);
  EXPECT_EQ(store.LookUpSet("", false), empty);
  EXPECT_EQ(store.LookUpSet("b", false), nullptr);
  EXPECT_EQ(store.LookUpSet("", false), empty);
}

TEST(SetStoreTest, AReboundNameReleasesItsListOnlyWhenNothingElseRefersToIt) {
  SetStore store;
  ListRef* a = store.LookUpSet("a", true);
  std::weak_ptr<List> first = a->shared();
  *store.LookUpSet("b", true) = ListRef(std::make_shared<OnTop>(*a));  // b rests on a's list
  *a = ListRef(std::make_shared<ConcreteList>());
  EXPECT_FALSE(first.expired()) << "b's list still rests on it";
  std::weak_ptr<List> on_top = store.LookUpSet("b", false)->shared();
  *store.LookUpSet("b", false) = ListRef(std::make_shared<ConcreteList>());
  EXPECT_TRUE(on_top.expired());
  EXPECT_TRUE(first.expired());
}

class InstanceTest : public RoutineTest {};

TEST_F(InstanceTest, ANewInstanceHoldsThePrimesUnderThreeNames) {
  EXPECT_EQ(store().size(), 3u);
  ListRef* primes = Set("<primes>");
  ASSERT_NE(primes, nullptr);
  EXPECT_NE(dynamic_cast<PrimeList*>(primes->get()), nullptr);
  EXPECT_EQ((*primes)->Length(UnlimitedBudget()), -1);
  EXPECT_EQ(Set("<prime>")->get(), primes->get());
  EXPECT_EQ(Set("<p>")->get(), primes->get());
  for (const char* absent : {"<Primes>", "<P>", "primes", "p", ""}) {
    EXPECT_EQ(Set(absent), nullptr) << absent;
  }
  EXPECT_EQ(store().size(), 3u);
}

TEST_F(InstanceTest, DestroyingReleasesEveryList) {
  ListRef* a = store().LookUpSet("a", true);
  *store().LookUpSet("b", true) = ListRef(std::make_shared<OnTop>(*a));
  std::weak_ptr<List> concrete = a->shared();
  std::weak_ptr<List> on_top = Set("b")->shared();
  std::weak_ptr<List> primes = Set("<p>")->shared();
  store_.reset();
  EXPECT_TRUE(concrete.expired());
  EXPECT_TRUE(on_top.expired());
  EXPECT_TRUE(primes.expired());
}

}  // namespace

}  // namespace tallyra
