// The module at the limits of what an author can ask of it, driven through the
// simulated host: each request returns (the test finishing is the check that
// it returns promptly), answers soundly, and leaves the instance usable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formula/FormulaEvaluator.h"
#include "simhost/SimulatedHost.h"
#include "tests/ModulePath.h"
#include "tests/SmallStack.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::HostResult;
using tallyra::simhost::MessageBoxRecord;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

Arg T(const std::string& text) { return Arg::Text(text); }
Arg N(double number) { return Arg::Number(number); }

constexpr char kError[] = "List Object Error";

// An instance of the module in a simulated host, with the calls that the
// tests make of it.
class Instance {
 public:
  Instance() : object_(host_.CreateObject()) {}
  ~Instance() { EXPECT_EQ(host_.violations(), std::vector<std::string>()); }

  SimulatedHost& host() { return host_; }
  SimulatedObject& object() { return object_; }

  void Act(ActionCode code, const std::vector<Arg>& args) { object_.Action(code, args); }
  HostResult Eval(ExpressionCode code, const std::vector<Arg>& args) {
    return object_.Expression(code, args);
  }
  int32_t Length(const std::string& set) { return Eval(ExpressionCode::kLength, {T(set)}).integer; }
  float At(const std::string& set, double index) {
    return Eval(ExpressionCode::kElementAt, {T(set), N(index)}).real;
  }
  std::string TextAt(const std::string& set, double index) {
    return Eval(ExpressionCode::kElementAtStr, {T(set), N(index)}).text;
  }
  float Sum(const std::string& set) { return Eval(ExpressionCode::kListSum, {T(set)}).real; }
  std::string AsString(const std::string& set, double maximum) {
    return Eval(ExpressionCode::kAsString, {T(set), N(maximum)}).text;
  }
  // The boxes shown since the last call, as "[caption] text".
  std::vector<std::string> TakeBoxes() {
    std::vector<std::string> shown;
    for (const MessageBoxRecord& box : host_.message_boxes()) {
      shown.push_back("[" + box.caption + "] " + box.text);
    }
    host_.ClearRecords();
    return shown;
  }

  // A further operation works as it should.
  void ExpectUsable() {
    Act(ActionCode::kAppendText, {T("usable"), T("yes")});
    Act(ActionCode::kDefineMapped, {T("usable"), T("n+1"), T("usable mapped")});
    EXPECT_EQ(AsString("usable mapped", 5), "[1]");
    EXPECT_EQ(TextAt("usable", 0), "yes");
  }

 private:
  SimulatedHost host_{ModulePath()};
  SimulatedObject& object_;
};

std::string Box(const std::string& text) { return std::string("[") + kError + "] " + text; }

#if !defined(_WIN32)
TEST(SmallStackTest, TheThreadHasTheStackAsked) {
  std::size_t size = 0;
  RunWithStack(kHostStackBytes, [&] {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_getattr_np(pthread_self(), &attributes), 0);
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
  });
  EXPECT_GE(size, kHostStackBytes);
  EXPECT_LT(size, 2 * kHostStackBytes);
}
#endif

// 100,000 definitions, each on the list that the one before defined, over
// every kind of list that rests on another: those past the depth limit are
// refused with a box, and the deepest list is read and released on a stack
// as small as a host's main thread may have. Under Wine every box is a real
// dialog, shown and closed in some ten milliseconds or more, so the Windows
// build makes 1,000 definitions.
#if defined(_WIN32)
constexpr int kChainDefinitions = 1000;
#else
constexpr int kChainDefinitions = 100000;
#endif

TEST(LimitsTest, AChainOfDefinitionsStopsAtTheDepthLimitAndReadsOnAHostsStack) {
  RunWithStack(kHostStackBytes, [] {
    Instance instance;
    int refused = 0;
    instance.host().SetMessageBoxCallback([&](const MessageBoxRecord& box) {
      EXPECT_EQ(box.text,
                "chain rests on too many lists built one on another and so no list can be based "
                "upon it");
      ++refused;
    });
    const std::string base = "<p>";
    for (int i = 0; i < kChainDefinitions; ++i) {
      const std::string on = i == 0 ? base : "chain";
      switch (i % 5) {  // each kind gives back its base's first elements unchanged
        case 0:
          instance.Act(ActionCode::kDefineMapped, {T(on), T("x"), T("chain")});
          break;
        case 1:
          instance.Act(ActionCode::kDefineSubsequence, {T(on), T("n"), T("chain")});
          break;
        case 2:
          instance.Act(ActionCode::kDefineFiltered, {T(on), T("1"), T("chain")});
          break;
        case 3:
          instance.Act(ActionCode::kDefineMappedPair, {T(on), T(base), T("a"), T("chain")});
          break;
        default:
          instance.Act(ActionCode::kFirstSubset, {T(on), N(8), T("chain")});
          break;
      }
      if (i % 1000 == 0) instance.host().ClearRecords();
    }
    EXPECT_EQ(refused, kChainDefinitions - 256);

    // The deepest list: a mapped list on a subset of 8, 256 lists above the primes.
    EXPECT_EQ(instance.Length("chain"), 8);
    EXPECT_EQ(instance.AsString("chain", -1), "[2, 3, 5, 7, 11, 13, 17, 19]");
    EXPECT_EQ(instance.At("chain", 7), 19.0f);
    EXPECT_EQ(instance.Sum("chain"), 77.0f);
    instance.ExpectUsable();
  });
}

TEST(LimitsTest, ASubsetOfTwoThousandMillionIsRefused) {
  Instance instance;
  instance.Act(ActionCode::kFirstSubset, {T("<primes>"), N(2e9), T("big")});
  instance.Act(ActionCode::kAppendNumber, {T("three"), N(3)});
  instance.Act(ActionCode::kFirstSubset, {T("three"), N(2e9), T("big")});
  EXPECT_EQ(instance.TakeBoxes(), (std::vector<std::string>{
                                      Box("big is too large a subset to hold"),
                                      Box("big is too large a subset to hold"),
                                  }));
  EXPECT_EQ(instance.Length("big"), 0);  // never made
  instance.ExpectUsable();
}

TEST(LimitsTest, AsStringOfUnboundedListsWithAMaximumOfMinusOne) {
  Instance instance;
  instance.Act(ActionCode::kDefineFormula, {T("n"), T("n")});
  instance.Act(ActionCode::kDefineMapped, {T("<p>"), T("x/7"), T("sevenths")});
  for (const char* set : {"<p>", "n", "sevenths"}) {
    SCOPED_TRACE(set);
    const std::string text = instance.AsString(set, -1);
    ASSERT_GT(text.size(), 1000000u);
    EXPECT_LE(text.size(), (std::size_t{16} << 20) + 8);  // the text form's bound
    EXPECT_EQ(text.substr(text.size() - 7), ", ... ]");
  }
  EXPECT_EQ(instance.AsString("<p>", -1).substr(0, 12), "[2, 3, 5, 7,");
  EXPECT_EQ(instance.AsString("n", -1).substr(0, 8), "[0, 1, 2");
  instance.ExpectUsable();
}

TEST(LimitsTest, ThePrimesPastTheirEnd) {
  Instance instance;
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("<p>"), N(4294967295.0)}),
            HostResult::Float(0.0f));
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("<p>"), N(-1)}), HostResult::Float(0.0f));
  EXPECT_EQ(instance.TextAt("<primes>", -1), "");
  EXPECT_EQ(instance.TextAt("<prime>", 203280221), "");
  instance.Act(ActionCode::kDefineSubsequence, {T("<p>"), T("-1"), T("last")});
  EXPECT_EQ(instance.AsString("last", 2), "[, , ... ]");
  instance.ExpectUsable();
}

TEST(LimitsTest, AFilterThatNothingPassesOverAnUnboundedBase) {
  Instance instance;
  instance.Act(ActionCode::kDefineFiltered, {T("<p>"), T("0"), T("none")});
  instance.Act(ActionCode::kDefineFormula, {T("n"), T("n")});
  instance.Act(ActionCode::kDefineFiltered, {T("n"), T("n<0"), T("negative")});
  instance.Act(ActionCode::kDefineFiltered, {T("none"), T("1"), T("none of none")});
  for (const char* set : {"none", "negative", "none of none"}) {
    SCOPED_TRACE(set);
    EXPECT_EQ(instance.Length(set), -1);
    EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T(set), N(0)}), HostResult::Float(0.0f));
    EXPECT_EQ(instance.TextAt(set, 5), "");
    EXPECT_EQ(instance.AsString(set, 3), "[, ... ]");  // nothing found in time; more may follow
    EXPECT_EQ(instance.AsString(set, -1).substr(0, 20), "[, ... ]");
  }
  EXPECT_TRUE(instance.TakeBoxes().empty());
  instance.ExpectUsable();
}

TEST(LimitsTest, AFormulaOfOneMillionCharacters) {
  constexpr std::size_t k_million = 1000000;
  std::string sum = "n";
  while (sum.size() < k_million) sum += "+1";
  std::string powers = "2";
  while (powers.size() < k_million) powers += "^2";
  std::string lazy;
  for (std::size_t i = 0; i < k_million / 8; ++i) lazy += "if(n,";
  lazy += "1";
  for (std::size_t i = 0; i < k_million / 8; ++i) lazy += ",0)";
  const std::string nested =
      std::string(k_million / 2, '(') + "n" + std::string(k_million / 2, ')');
  const std::string blanks = "n" + std::string(k_million, ' ');
  Instance instance;
  instance.Act(ActionCode::kAppendNumber, {T("base"), N(1)});
  for (const std::string& formula : {sum, powers, lazy, nested, blanks}) {
    instance.Act(ActionCode::kDefineFormula, {T("f"), T(formula)});
    instance.Act(ActionCode::kDefineMapped, {T("base"), T(formula), T("m")});
    instance.Act(ActionCode::kDefineFiltered, {T("<p>"), T(formula), T("filtered")});
    // Longer than a formula may be: every element fails, silently.
    EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("f"), N(1)}), HostResult::Float(0.0f));
    EXPECT_EQ(instance.AsString("m", 5), "[]");
    EXPECT_EQ(instance.AsString("filtered", 2), "[, ... ]");
  }
  EXPECT_TRUE(instance.TakeBoxes().empty());

  // The longest formulas that are taken, nested as deep as they can be; one
  // byte longer is refused.
  const std::size_t longest = FormulaEvaluator::kMaxFormulaLength;
  const std::size_t depth = (longest - 1) / 2;
  instance.Act(ActionCode::kDefineFormula,
               {T("deep"), T(std::string(depth, '(') + "n" + std::string(depth, ')'))});
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("deep"), N(3)}), HostResult::Float(3.0f));
  std::string ifs;
  for (std::size_t i = 0; i < (longest - 1) / 8; ++i) ifs += "if(n,";
  ifs += "n";
  for (std::size_t i = 0; i < (longest - 1) / 8; ++i) ifs += ",0)";
  instance.Act(ActionCode::kDefineFormula, {T("deep ifs"), T(ifs)});
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("deep ifs"), N(3)}),
            HostResult::Float(3.0f));
  std::string minus;
  const std::size_t signs = (longest - 1) / 3 / 2 * 2;  // an even number of them
  for (std::size_t i = 0; i < signs; ++i) minus += "-(";
  minus += "n" + std::string(signs, ')');
  instance.Act(ActionCode::kDefineFormula, {T("signs"), T(minus)});
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("signs"), N(3)}), HostResult::Float(3.0f));
  instance.Act(ActionCode::kDefineFormula, {T("blanks"), T("n" + std::string(longest - 1, ' '))});
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("blanks"), N(3)}),
            HostResult::Float(3.0f));
  instance.Act(ActionCode::kDefineFormula, {T("blanks"), T("n" + std::string(longest, ' '))});
  EXPECT_EQ(instance.Eval(ExpressionCode::kElementAt, {T("blanks"), N(3)}),
            HostResult::Float(0.0f));
  instance.ExpectUsable();
}

TEST(LimitsTest, ASetNameAndAnElementTextOfTenMillionBytes) {
  const std::string name(10000000, 'n');
  const std::string text(10000000, 't');
  Instance instance;
  instance.Act(ActionCode::kAppendText, {T(name), T(text)});
  instance.Act(ActionCode::kAppendNumber, {T(name), N(2)});
  EXPECT_EQ(instance.Length(name), 2);
  EXPECT_EQ(instance.TextAt(name, 0), text);
  EXPECT_EQ(instance.AsString(name, 5), "[" + text + ", 2]");
  EXPECT_EQ(instance.Sum(name), 2.0f);
  instance.Act(ActionCode::kDefineMapped, {T(name), T("x*2"), T(name)});
  EXPECT_EQ(instance.AsString(name, 5), "[0, 4]");
  instance.Act(ActionCode::kDefineMapped, {T(name + "x"), T("x"), T(name)});
  const std::vector<std::string> boxes = instance.TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
#if !defined(_WIN32)  // a Windows message box shows no text of ten million bytes
  EXPECT_EQ(boxes[0], Box(name + "x does not exist and so a mapped set cannot be based upon it"));
#endif
  EXPECT_EQ(boxes[0].substr(0, 20), "[List Object Error] ");
  instance.ExpectUsable();
}

TEST(LimitsTest, AListObjectWith100000Items) {
  std::vector<std::string> items;
  double sum = 0;
  for (int i = 0; i < 100000; ++i) {
    items.push_back(i % 1000 == 999 ? std::to_string(i) + std::string(100, ' ')
                                    : std::to_string(i));
    sum += i;
  }
  Instance instance;
  instance.host().AddListObject("Big", items);
  instance.host().AddListObject("Copy");
  instance.Act(ActionCode::kListObjectToSet, {T("s"), T("Big")});
  EXPECT_EQ(instance.Length("s"), 100000);
  EXPECT_EQ(instance.TextAt("s", 99999), items[99999]);
  EXPECT_EQ(instance.Sum("s"), static_cast<float>(sum));
  instance.Act(ActionCode::kSetToListObject, {T("s"), T("Copy"), N(100000)});
  EXPECT_EQ(instance.host().ListObjectItems("Copy"), items);
  EXPECT_TRUE(instance.TakeBoxes().empty());
  instance.ExpectUsable();
}

// What the fuzzers and the review of these limits found, each a test of its
// own.

// Found by the operations fuzzer: appending to a k-subset copies it into a
// concrete list first, and a subset of 33,554,432 elements took seconds and
// 1.6 GB to copy. A copy made in one call is bounded; past the bound the
// append is refused with a box, and the set keeps its subset.
TEST(LimitsTest, AppendingToAVeryLargeSubsetIsRefused) {
  Instance instance;
  instance.host().AddListObject("List", {"a"});
  instance.Act(ActionCode::kAppendNumber, {T("three"), N(3)});
  instance.Act(ActionCode::kFirstSubset, {T("three"), N(33554432), T("big")});
  instance.Act(ActionCode::kFirstSubset, {T("<p>"), N(2000000), T("two million")});
  instance.Act(ActionCode::kAppendNumber, {T("big"), N(1)});
  instance.Act(ActionCode::kAppendText, {T("two million"), T("x")});
  instance.Act(ActionCode::kListObjectToSet, {T("big"), T("List")});
  EXPECT_EQ(instance.TakeBoxes(),
            (std::vector<std::string>{
                Box("big is too large and so elements cannot be appended to it"),
                Box("two million is too large and so elements cannot be appended to it"),
                Box("big is too large and so elements cannot be appended to it"),
            }));
  EXPECT_EQ(instance.Length("big"), 33554432);
  EXPECT_EQ(instance.AsString("big", 2), "[3, , ... ]");
  EXPECT_EQ(instance.Length("two million"), 2000000);
  instance.ExpectUsable();
}

// Lists that rest twice on one list: reading an element reads what lies below
// along every path, so that pair lists built each on two copies of the one
// before double the work at every step (and "Length(" asked 2^64 lists for
// theirs after 64 steps). Lists are refused, with a box, once reading one of
// their elements would take more than 65,536 list reads.
TEST(LimitsTest, ListsThatRestTwiceOnOneListAreBounded) {
  Instance instance;
  instance.Act(ActionCode::kAppendNumber, {T("d"), N(1)});
  instance.Act(ActionCode::kAppendNumber, {T("d"), N(2)});
  int refused = 0;
  instance.host().SetMessageBoxCallback([&](const MessageBoxRecord& box) {
    EXPECT_EQ(box.text,
              "d rests on too many lists built one on another and so no list can be based upon "
              "it");
    ++refused;
  });
  for (int i = 0; i < 64; ++i)
    instance.Act(ActionCode::kDefineMappedPair, {T("d"), T("d"), T("a+b"), T("d")});
  EXPECT_EQ(refused, 64 - 15);
  EXPECT_EQ(instance.Length("d"), 2);
  EXPECT_EQ(instance.At("d", 1), 65536.0f);
  EXPECT_EQ(instance.Sum("d"), 3 * 32768.0f);
  instance.ExpectUsable();
}

// Sums, texts and copies of long lists whose every element takes many reads
// (here 256 formula lists over a subset of a million primes) read no more than
// one call's budget: the sum then answers 0, as for a list without end; the
// text is cut where the budget ran out; the copy for an append is refused.
TEST(LimitsTest, SumsTextsAndCopiesOfCostlyListsEndInTime) {
  Instance instance;
  instance.Act(ActionCode::kFirstSubset, {T("<p>"), N(1000000), T("million")});
  EXPECT_GT(instance.Sum("million"), 7.4e12f);  // read in full
  instance.Act(ActionCode::kDefineMapped, {T("million"), T("x"), T("deep")});
  for (int i = 1; i < 255; ++i)
    instance.Act(ActionCode::kDefineMapped, {T("deep"), T("x"), T("deep")});
  EXPECT_TRUE(instance.TakeBoxes().empty());
  EXPECT_EQ(instance.Length("deep"), 1000000);
  EXPECT_EQ(instance.At("deep", 999999), 15485863.0f);
  EXPECT_EQ(instance.Sum("deep"), 0.0f);
  const std::string text = instance.AsString("deep", -1);
  EXPECT_EQ(text.substr(0, 12), "[2, 3, 5, 7,");
  EXPECT_EQ(text.substr(text.size() - 7), ", ... ]");
  EXPECT_LT(text.size(), 1000000u);
  instance.Act(ActionCode::kAppendNumber, {T("deep"), N(1)});
  EXPECT_EQ(instance.TakeBoxes(),
            (std::vector<std::string>{
                Box("deep is too large and so elements cannot be appended to it")}));
  instance.ExpectUsable();
}

// Copying a set with no end into a List object, with the largest maximum.
TEST(LimitsTest, CopyingAnUnboundedSetIntoAListObjectStops) {
  Instance instance;
  instance.host().AddListObject("Out");
  instance.host().AddListObject("Nothing");
  instance.Act(ActionCode::kSetToListObject, {T("<p>"), T("Out"), N(2147483647)});
  const std::vector<std::string> items = instance.host().ListObjectItems("Out");
  EXPECT_GT(items.size(), 100000u);
  EXPECT_LE(items.size(), std::size_t{1} << 18);
  EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + 4),
            (std::vector<std::string>{"2", "3", "5", "7"}));
  instance.Act(ActionCode::kDefineFiltered, {T("<p>"), T("0"), T("none")});
  instance.Act(ActionCode::kSetToListObject, {T("none"), T("Nothing"), N(10)});
  EXPECT_TRUE(instance.host().ListObjectItems("Nothing").empty());  // nothing found in time
  EXPECT_EQ(instance.TakeBoxes(),
            (std::vector<std::string>{
                "[Tallyra Object Error] <p> is too large and so only its first " +
                    std::to_string(items.size()) + " elements were put into Out",
                "[Tallyra Object Error] none is too large and so only its first 0 elements were "
                "put into Nothing"}));
  instance.ExpectUsable();
}

// A filter over a finite base longer than one call can search: the element
// past what one call reaches is found by the next calls, each going on where
// the last stopped.
TEST(LimitsTest, AFilterSearchGoesOnAcrossCallsUntilItFindsTheElement) {
  Instance instance;
  instance.Act(ActionCode::kDefineFormula, {T("n"), T("n")});
  instance.Act(ActionCode::kFirstSubset, {T("n"), N(5000000), T("s")});
  instance.Act(ActionCode::kDefineFiltered, {T("s"), T("x > 4500000"), T("late")});
  float found = 0;
  int calls = 0;
  while (found == 0 && calls < 10) {
    found = instance.At("late", 0);
    ++calls;
  }
  EXPECT_EQ(found, 4500001.0f);
  EXPECT_GT(calls, 1);
  EXPECT_EQ(instance.At("late", 498999), 4999000.0f);
  EXPECT_TRUE(instance.TakeBoxes().empty());
}

// Two reads far past the positions that a filter remembers one by one, each
// more than one call's search from the nearest place that it knew, asked in
// turn: each goes on where its own last call stopped, and both finish (they
// used to take turns overwriting one resume point, and neither ever did).
TEST(LimitsTest, AlternatingReadsPastTheRememberedPositionsBothFinish) {
  Instance instance;
  instance.Act(ActionCode::kDefineFormula, {T("n"), T("n")});
  instance.Act(ActionCode::kDefineFiltered,
               {T("n"), T("n < 1320000 or mod(n, 20000) == 0"), T("sparse")});
  // Asked in turn from the start: the search from the frontier, which both
  // move on, reaches both.
  float first = 0;
  float second = 0;
  for (int turn = 0; turn < 1000 && (first == 0 || second == 0); ++turn) {
    first = instance.At("sparse", 1323000);
    second = instance.At("sparse", 1323128);
  }
  EXPECT_EQ(first, 6.132e+07f);
  EXPECT_EQ(second, 6.388e+07f);
  // Each lies within one grid step (128 positions here) of where its search
  // starts: one call each, whatever is read between.
  for (int turn = 0; turn < 40; ++turn) {
    EXPECT_EQ(instance.At("sparse", 1323000), 6.132e+07f) << turn;
    EXPECT_EQ(instance.At("sparse", 1323128), 6.388e+07f) << turn;
  }
}

// Copies count bytes: a subset of a million copies of one 4 KB text cannot be
// made stored (4 GB); its first append is refused at once, the set unchanged.
// Sums of it are cut short and answer 0.
TEST(LimitsTest, CopiesAndSumsOfLongTextsAreBounded) {
  Instance instance;
  instance.Act(ActionCode::kAppendText, {T("one"), T(std::string(4096, '7'))});
  instance.Act(ActionCode::kDefineSubsequence, {T("one"), T("0"), T("again")});
  instance.Act(ActionCode::kFirstSubset, {T("again"), N(1000000), T("many")});
  instance.Act(ActionCode::kAppendNumber, {T("many"), N(1)});
  EXPECT_EQ(instance.TakeBoxes(),
            (std::vector<std::string>{
                Box("many is too large and so elements cannot be appended to it")}));
  EXPECT_EQ(instance.Length("many"), 1000000);
  EXPECT_EQ(instance.TextAt("many", 999999), std::string(4096, '7'));
  instance.Act(ActionCode::kFirstSubset, {T("again"), N(1000), T("some")});
  instance.Act(ActionCode::kAppendNumber, {T("some"), N(1)});
  EXPECT_EQ(instance.Length("some"), 1001);
  EXPECT_TRUE(instance.TakeBoxes().empty());

  instance.Act(ActionCode::kAppendText,
               {T("mega"), T("2" + std::string(std::size_t{1} << 20, ' '))});
  instance.Act(ActionCode::kDefineSubsequence, {T("mega"), T("0"), T("megas")});
  instance.Act(ActionCode::kFirstSubset, {T("megas"), N(1000000), T("million megas")});
  EXPECT_EQ(instance.Sum("million megas"), 0.0f);  // cut short
  instance.Act(ActionCode::kFirstSubset, {T("megas"), N(10), T("ten megas")});
  EXPECT_EQ(instance.Sum("ten megas"), 20.0f);
  instance.ExpectUsable();
}

// A filter over a finite list built on itself, 14 mapped pairs deep: each of
// its reads past the last passing element asks the length through 32,767
// lists. Those length queries are charged: a sum and a text of 100,000 such
// reads end in time, cut short, and the three elements that exist are right.
TEST(LimitsTest, LengthQueriesThroughADeepListAreCharged) {
  Instance instance;
  for (double v : {1, 2, 3}) instance.Act(ActionCode::kAppendNumber, {T("c"), N(v)});
  std::string below = "c";
  for (int level = 0; level < 14; ++level) {
    const std::string name = "pairs " + std::to_string(level);
    instance.Act(ActionCode::kDefineMappedPair, {T(below), T(below), T("a+b"), T(name)});
    below = name;
  }
  EXPECT_TRUE(instance.TakeBoxes().empty());
  instance.Act(ActionCode::kDefineFiltered, {T(below), T("x > 0"), T("f")});
  instance.Act(ActionCode::kFirstSubset, {T("f"), N(100000), T("many")});
  instance.Act(ActionCode::kFirstSubset, {T("f"), N(3), T("three")});
  EXPECT_EQ(instance.Sum("many"), 0.0f);  // cut short: no sum
  const std::string text = instance.AsString("many", -1);
  EXPECT_EQ(text.substr(0, 23), "[16384, 32768, 49152, ,");
  EXPECT_EQ(text.substr(text.size() - 7), ", ... ]");
  EXPECT_EQ(instance.Sum("three"), 98304.0f);
  EXPECT_EQ(instance.Length(below), 3);
  instance.ExpectUsable();
}

// A long text read as a number is charged by the bytes that the reading looks
// at: a sum of a million reads of it is cut short, and one read is right.
TEST(LimitsTest, TextsReadAsNumbersAreChargedByTheirBytes) {
  const struct {
    std::string text;
    float number;
  } cases[] = {
      {std::string(65536, '7'), INFINITY},
      {std::string(65535, ' ') + "1", 1.0f},
      {"0." + std::string(65534, '1'), 0.11111111f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 3));
    Instance instance;
    instance.Act(ActionCode::kAppendText, {T("one"), T(c.text)});
    instance.Act(ActionCode::kDefineSubsequence, {T("one"), T("0"), T("again")});
    instance.Act(ActionCode::kFirstSubset, {T("again"), N(1000000), T("many")});
    EXPECT_EQ(instance.Sum("many"), 0.0f);  // cut short
    EXPECT_EQ(instance.At("many", 999999), c.number);
  }
}

// A stored set's texts are summed as they are read: 900,000 in one call, but
// 4,500,000 are cut short rather than held for a third of a second.
// The Windows build's List objects are real list boxes. Under Wine, one of
// the hundreds of thousands of items that the next two tests need takes
// minutes to fill, which the stage cannot wait for; the module's code is the
// same on Linux, whose builds run them, and the Windows build runs the list
// boxes of AListObjectWith100000Items.
#if defined(_WIN32)
#define TALLYRA_SKIP_HUGE_LIST_BOX() \
  GTEST_SKIP() << "a list box of this size takes minutes to fill under Wine; run on Linux"
#else
#define TALLYRA_SKIP_HUGE_LIST_BOX() (void)0
#endif

TEST(LimitsTest, ASumOfManyStoredTextsIsCharged) {
  TALLYRA_SKIP_HUGE_LIST_BOX();
  Instance instance;
  instance.host().AddListObject("Ones", std::vector<std::string>(900000, "1"));
  instance.Act(ActionCode::kListObjectToSet, {T("some"), T("Ones")});
  EXPECT_EQ(instance.Sum("some"), 900000.0f);
  for (int i = 0; i < 5; ++i) instance.Act(ActionCode::kListObjectToSet, {T("many"), T("Ones")});
  EXPECT_EQ(instance.Length("many"), 4500000);
  EXPECT_EQ(instance.Sum("many"), 0.0f);  // cut short: no sum
  EXPECT_TRUE(instance.TakeBoxes().empty());
}

// "Put the contence of List" is bounded as a copy is: past its bounds the
// set stays as it was, with the "too large" box.
TEST(LimitsTest, TakingAListObjectIsBoundedAsACopy) {
  TALLYRA_SKIP_HUGE_LIST_BOX();
  Instance instance;
  instance.host().AddListObject("Many", std::vector<std::string>(5242880, "item"));
  instance.host().AddListObject("Large", std::vector<std::string>(300, std::string(1 << 20, 'i')));
  instance.Act(ActionCode::kAppendText, {T("s"), T("before")});
  const std::vector<std::string> too_large = {
      Box("s is too large and so elements cannot be appended to it")};
  instance.Act(ActionCode::kListObjectToSet, {T("s"), T("Many")});
  EXPECT_EQ(instance.TakeBoxes(), too_large);
  instance.Act(ActionCode::kListObjectToSet, {T("s"), T("Large")});
  EXPECT_EQ(instance.TakeBoxes(), too_large);
  EXPECT_EQ(instance.AsString("s", -1), "[before]");
  instance.ExpectUsable();
}

// Arithmetic on subnormal numbers is charged as the processor does it, and
// its values are kept exactly (nothing is flushed to zero).
TEST(LimitsTest, SubnormalArithmeticIsChargedAndExact) {
  std::string formula = "x/3";
  for (int i = 1; i < 600; ++i) formula += "+x/3";
  double expected = 0;
  const double x = 1e-310;
  for (int i = 0; i < 600; ++i) expected += x / 3;
  char equal[64];
  std::snprintf(equal, sizeof equal, "x == %.17g", expected);
  Instance instance;
  instance.Act(ActionCode::kAppendText, {T("one"), T("1e-310")});
  instance.Act(ActionCode::kDefineSubsequence, {T("one"), T("0"), T("again")});
  instance.Act(ActionCode::kDefineMapped, {T("again"), T(formula), T("sums")});
  instance.Act(ActionCode::kFirstSubset, {T("sums"), N(1000000), T("many")});
  instance.Act(ActionCode::kDefineMapped, {T("sums"), T(equal), T("right")});
  EXPECT_EQ(instance.Sum("many"), 0.0f);  // cut short
  EXPECT_EQ(instance.At("right", 5), 1.0f) << equal;
  instance.ExpectUsable();
}

// A formula far longer than any that is taken is refused before anything is
// done with it.
TEST(LimitsTest, AFormulaOfTwentyMegabytesIsRefusedAtOnce) {
  Instance instance;
  std::string powers = "n";
  while (powers.size() < (std::size_t{20} << 20)) powers += "^n";
  instance.Act(ActionCode::kDefineFormula, {T("f"), T(powers)});
  EXPECT_EQ(instance.TextAt("f", 2), "");
  EXPECT_TRUE(instance.TakeBoxes().empty());
  instance.ExpectUsable();
}

// A definition is charged by its formula's bytes, a text parameter by its
// bytes: the longest formulas of the slowest shapes still take one call each,
// and a text longer than a copy holds is refused as a copy is, the set as it
// was, while the longest one taken is read back whole in one call.
TEST(LimitsTest, DefinitionsAndTextParametersAreChargedAndOrdinaryOnesTakeOneCall) {
  Instance instance;
  const std::size_t longest = FormulaEvaluator::kMaxFormulaLength;
  std::string divisions = "n";
  while (divisions.size() + 2 <= longest) divisions += "/n";
  std::string products = "n";
  while (products.size() + 4 <= longest - 4) products += "*n+n";  // and " > 0"
  instance.Act(ActionCode::kDefineFormula, {T("divisions"), T(divisions)});
  instance.Act(ActionCode::kDefineFormula, {T("n"), T("n")});
  instance.Act(ActionCode::kDefineFiltered, {T("n"), T(products + " > 0"), T("products")});
  EXPECT_EQ(instance.At("divisions", 1), 1.0f);  // 0 if it had been refused
  EXPECT_EQ(instance.At("products", 0), 1.0f);
  EXPECT_EQ(instance.At("products", 1), 2.0f);

  const std::string half(std::size_t{16} << 20, 'h');
  instance.Act(ActionCode::kAppendText, {T("s"), T(half)});
  instance.Act(ActionCode::kAppendText, {T("s"), T(half + half)});
  EXPECT_EQ(
      instance.TakeBoxes(),
      std::vector<std::string>{Box("s is too large and so elements cannot be appended to it")});
  EXPECT_EQ(instance.Length("s"), 1);
  EXPECT_EQ(instance.TextAt("s", 0).size(), half.size());
  instance.ExpectUsable();
}

}  // namespace

}  // namespace tallyra
