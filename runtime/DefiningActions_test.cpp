// The actions that define virtual lists on sets and step k-subsets.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "runtime/testing/RoutineTest.h"

namespace tallyra {

namespace {

class DefiningActionsTest : public RoutineTest {
 protected:
  void NextSubset(const std::string& set) { Run(ActionNextSubset, {set}); }
  void DefineFormula(const std::string& set, const std::string& formula) {
    Run(ActionDefineFormula, {set, formula});
  }
  void DefineMapped(const std::string& base, const std::string& formula, const std::string& to) {
    Run(ActionDefineMapped, {base, formula, to});
  }
  void MakeSet(const std::string& name, std::initializer_list<const char*> texts) {
    store().LookUpSet(name, true);
    for (const char* text : texts) AppendText(name, text);
  }
};

TEST_F(DefiningActionsTest, FirstAndNextSubsetOfThePrimes) {
  FirstSubset("<primes>", 3, "s");
  EXPECT_EQ(AsString("s"), "[2, 3, 5]");
  EXPECT_NE(dynamic_cast<KSubsetList*>(Set("s")->get()), nullptr);
  NextSubset("s");
  EXPECT_EQ(AsString("s"), "[2, 3, 7]");
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(DefiningActionsTest, AStepIsSeenThroughEveryReferent) {
  MakeSet("nums", {"1", "2", "3", "4"});
  FirstSubset("nums", 2, "pair");
  *store().LookUpSet("alias", true) = *Set("pair");
  DefineMapped("pair", "x*10", "tens");
  NextSubset("alias");
  EXPECT_EQ(AsString("pair"), "[1, 3]");
  EXPECT_EQ(AsString("tens"), "[10, 30]");
  // After appending, the name holds a concrete snapshot and is no longer a
  // subset; what was built on the subset goes on reading it.
  AppendText("pair", "z");
  EXPECT_EQ(AsString("pair"), "[1, 3, z]");
  NextSubset("pair");
  EXPECT_EQ(host_.MessageTexts(),
            std::vector<std::string>{
                "pair is not of type KSubset and so 'Get Next Subset' cannot be used on it"});
  NextSubset("alias");
  EXPECT_EQ(AsString("alias"), "[2, 3]");
  EXPECT_EQ(AsString("tens"), "[20, 30]");
  EXPECT_EQ(AsString("pair"), "[1, 3, z]");
}

TEST_F(DefiningActionsTest, MissingAndWronglyTypedSets) {
  const struct {
    Action action;
    std::vector<std::string> texts;
    const char* message;
  } cases[] = {
      {ActionNextSubset,
       {"nope"},
       "nope does not exist and so 'Get Next Subset' cannot be applied to it"},
      {ActionNextSubset,
       {"<p>"},
       "<p> is not of type KSubset and so 'Get Next Subset' cannot be used on it"},
      {ActionDefineMapped,
       {"nope", "x", "dest"},
       "nope does not exist and so a mapped set cannot be based upon it"},
      {ActionDefineSubsequence,
       {"nope", "n", "dest"},
       "nope does not exist and so a subsequence set cannot be based upon it"},
      {ActionDefineFiltered,
       {"nope", "x", "dest"},
       "nope does not exist and so a filtered set cannot be based upon it"},
      {ActionDefineMappedPair,
       {"nope1", "nope2", "a+b", "dest"},
       "nope1 does not exist and so a mapped set cannot be based upon it"},
      {ActionDefineMappedPair,
       {"<p>", "nope2", "a+b", "dest"},
       "nope2 does not exist and so a mapped set cannot be based upon it"},
  };
  for (const auto& c : cases) {
    host_.ClearMessages();
    for (const std::string& text : c.texts) host_.QueueText(text);
    c.action(store(), host_, budget());
    ASSERT_EQ(host_.messages().size(), 1u) << c.message;
    EXPECT_EQ(host_.messages()[0].caption, "List Object Error");
    EXPECT_EQ(host_.messages()[0].text, c.message);
    EXPECT_EQ(store().size(), 3u) << "the destination is not created";
  }
  host_.ClearMessages();
  FirstSubset("nope", 2, "dest");
  EXPECT_EQ(host_.MessageTexts(),
            std::vector<std::string>{
                "nope does not exist and so 'Get K-Subset' cannot be applied to it"});
  EXPECT_EQ(Set("dest"), nullptr);
}

TEST_F(DefiningActionsTest, AMissingBaseLeavesAnExistingDestinationAlone) {
  MakeSet("dest", {"kept"});
  List* before = Set("dest")->get();
  DefineMapped("nope", "x", "dest");
  EXPECT_EQ(Set("dest")->get(), before);
}

TEST_F(DefiningActionsTest, FormulaLists) {
  DefineFormula("f", "n*2");
  EXPECT_EQ(AsString("f", 4), "[0, 2, 4, 6, ... ]");
  EXPECT_EQ(Length("f"), -1);
  DefineFormula("bad", "n+*");
  EXPECT_EQ(AsString("bad", 3), "[, , , ... ]");
  EXPECT_TRUE(host_.messages().empty()) << "formula errors are not reported";
  // Redefining "<p>" rebinds that name only.
  DefineFormula("<p>", "1");
  EXPECT_EQ(AsString("<p>", 2), "[1, 1, ... ]");
  EXPECT_EQ(AsString("<primes>", 2), "[2, 3, ... ]");
  EXPECT_EQ(AsString("<prime>", 2), "[2, 3, ... ]");
}

TEST_F(DefiningActionsTest, ListsBuiltOnSets) {
  MakeSet("s", {"1", "2", "3"});
  DefineMapped("s", "x*10+n", "m");
  EXPECT_EQ(AsString("m"), "[10, 21, 32]");
  Run(ActionDefineSubsequence, {"<primes>", "2*n", "sub"});
  EXPECT_EQ(AsString("sub", 3), "[2, 5, 11, ... ]");
  Run(ActionDefineMappedPair, {"s", "<primes>", "a*b", "pair"});
  EXPECT_EQ(AsString("pair", 4), "[2, 6, 15]");
  Run(ActionDefineFiltered, {"<primes>", "x>10", "big"});
  EXPECT_EQ(AsString("big", 2), "[11, 13, ... ]");
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(DefiningActionsTest, ABaseIsTheListThatItsNameHeldWhenTheListWasDefined) {
  MakeSet("s", {"1", "2"});
  DefineMapped("s", "x+1", "m");
  MakeSet("other", {"7"});
  *Set("s") = *Set("other");
  EXPECT_EQ(AsString("m"), "[2, 3]");
  // Defined on itself: the new list rests on the former one, and reading ends.
  DefineMapped("s", "x*2", "s");
  EXPECT_EQ(AsString("s"), "[14]");
  DefineMapped("s", "x+1", "s");
  EXPECT_EQ(AsString("s"), "[15]");
}

TEST_F(DefiningActionsTest, ARedefinedNameReleasesAListNothingElseHolds) {
  MakeSet("s", {"1"});
  DefineMapped("s", "x", "m");
  std::weak_ptr<List> concrete = Set("s")->shared();
  std::weak_ptr<List> mapped = Set("m")->shared();
  DefineFormula("s", "n");
  EXPECT_FALSE(concrete.expired()) << "m still rests on it";
  DefineFormula("m", "n");
  EXPECT_TRUE(mapped.expired());
  EXPECT_TRUE(concrete.expired());
}

TEST_F(DefiningActionsTest, NoListRestsOnTooManyLists) {
  MakeSet("deep", {"0"});
  for (uint32_t depth = 1; depth <= kMaxListDepth; ++depth) DefineMapped("deep", "x+1", "deep");
  EXPECT_EQ(Set("deep")->get()->Depth(), kMaxListDepth);
  EXPECT_EQ(AsString("deep"), "[256]");
  ASSERT_TRUE(host_.messages().empty());
  List* deepest = Set("deep")->get();
  const std::string message =
      "deep rests on too many lists built one on another and so no list can be based upon it";
  DefineMapped("deep", "x+1", "deep");
  Run(ActionDefineSubsequence, {"deep", "n", "other"});
  Run(ActionDefineFiltered, {"deep", "1", "other"});
  Run(ActionDefineMappedPair, {"<p>", "deep", "a", "other"});
  FirstSubset("deep", 1, "other");
  EXPECT_EQ(host_.MessageTexts(), std::vector<std::string>(5, message));
  EXPECT_EQ(Set("deep")->get(), deepest);
  EXPECT_EQ(Set("other"), nullptr);
  EXPECT_EQ(AsString("deep"), "[256]");
}

TEST_F(DefiningActionsTest, SubsetsLongerThanTheLongestListAreRefused) {
  const auto longest = static_cast<int32_t>(ConcreteList::kMaxLength);
  FirstSubset("<p>", longest, "longest");
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_EQ(Length("longest"), longest);
  EXPECT_EQ(AsString("longest", 3), "[2, 3, 5, ... ]");
  FirstSubset("<p>", longest + 1, "longer");
  FirstSubset("longest", 2147483647, "longer");
  EXPECT_EQ(host_.MessageTexts(),
            std::vector<std::string>(2, "longer is too large a subset to hold"));
  EXPECT_EQ(Set("longer"), nullptr);
}

TEST_F(DefiningActionsTest, NoListTakesTooManyReadsForOneElement) {
  // Each pair list rests twice on the one before: reading an element reads
  // 2^k + ... lists, until a list would take more than kMaxListWeight.
  MakeSet("d", {"1", "2"});
  for (int i = 0; i < 20; ++i) Run(ActionDefineMappedPair, {"d", "d", "a+b", "d"});
  const std::string too_many =
      " rests on too many lists built one on another and so no list can be based upon it";
  EXPECT_EQ(host_.MessageTexts(), std::vector<std::string>(5, "d" + too_many));
  EXPECT_EQ(Set("d")->get()->Weight(), 65535u);
  EXPECT_EQ(Length("d"), 2);
  EXPECT_EQ(AsString("d"), "[32768, 65536]");
  host_.ClearMessages();
  DefineMapped("d", "x", "e");  // 65536 reads: the most there may be
  DefineMapped("e", "x", "f");
  FirstSubset("e", 1, "f");
  Run(ActionDefineMappedPair, {"<p>", "e", "a", "f"});
  EXPECT_EQ(host_.MessageTexts(), std::vector<std::string>(3, "e" + too_many));
  EXPECT_EQ(Set("f"), nullptr);
}

// A definition whose parse, or a subset whose first mask, the call's budget
// cannot pay for is not made: the box names the set, which keeps its list.
TEST_F(DefiningActionsTest, DefinitionsThatTheBudgetCannotPayForLeaveTheSetAsItWas) {
  const struct {
    const char* definition;
    uint64_t price;  // what it costs: one unit less is refused
    std::function<void()> define;
  } cases[] = {
      {"formula list n", 16384 + 16384, [this] { DefineFormula("f", "n"); }},
      {"mapped list x*2", 16384 + 3 * 16384, [this] { DefineMapped("old", "x*2", "f"); }},
      {"filtered list x>0", 16384 + 3 * 16384,
       [this] {
         Run(ActionDefineFiltered, {"old", "x>0", "f"});
       }},
      {"first 1,048,576-subset", 32769 * 16, [this] { FirstSubset("<primes>", 1048576, "f"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.definition);
    MakeSet("old", {"1"});
    *store().LookUpSet("f", true) = std::make_shared<ConcreteList>();
    AppendText("f", "kept");
    allowance_ = c.price - 1;
    c.define();
    allowance_ = WorkBudget::kPerCall;
    EXPECT_EQ(AsString("f"), "[kept]");
    EXPECT_EQ(host_.MessageTexts(),
              std::vector<std::string>{
                  "f takes too long to define in one action and so is left as it was"});
    host_.ClearMessages();
    allowance_ = c.price;
    c.define();
    allowance_ = WorkBudget::kPerCall;
    EXPECT_NE(AsString("f"), "[kept]");
    EXPECT_TRUE(host_.messages().empty());
  }
}

}  // namespace

}  // namespace tallyra
