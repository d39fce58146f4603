// The object over a long run, driven through the simulated host: the same set
// redefined 100,000 times with each kind of list, and 10,000 instances made
// and ended. The module's code is linked into this program, so that the lists
// in being can be counted (List::LiveCount()): they must stay bounded, and
// none may be left once an instance has ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "lists/List.h"
#include "simhost/testing/LinkedModule.h"
#include "tests/SoakWorkload.h"

namespace tallyra {

using tallyra::simhost::LinkedModuleExports;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

TEST(SoakTest, RedefiningOneSetAgainAndAgainKeepsTheListsInBeingBounded) {
  SimulatedHost host(LinkedModuleExports());
  const uint32_t before_instance = List::LiveCount();
  SimulatedObject& object = host.CreateObject();
  soak::MakeBase(object);
  const uint32_t before = List::LiveCount();  // the primes and "base"
  for (soak::Kind kind : soak::AllKinds()) {
    SCOPED_TRACE(soak::KindName(kind));
    uint32_t most = 0;
    soak::Redefine(object, kind, 100000, [&] { most = std::max(most, List::LiveCount()); });
    // "S" holds one list (a chain on itself at most 100 of them); whatever it
    // held before has been released.
    EXPECT_LE(most, before + (kind == soak::Kind::kOnItself ? 101u : 2u));
    EXPECT_GT(most, before);
  }
  EXPECT_TRUE(host.message_boxes().empty());
  EXPECT_TRUE(host.violations().empty());
  host.DestroyObject(object);
  EXPECT_EQ(List::LiveCount(), before_instance);
}

TEST(SoakTest, EveryListOfAnEndedInstanceIsReleased) {
  SimulatedHost host(LinkedModuleExports());
  const uint32_t before = List::LiveCount();
  int leaking = 0;
  soak::MakeAndEndInstances(host, 10000, [&] { leaking += List::LiveCount() != before; });
  EXPECT_EQ(leaking, 0);
  EXPECT_EQ(List::LiveCount(), before);
  EXPECT_TRUE(host.violations().empty());
}

}  // namespace

}  // namespace tallyra
