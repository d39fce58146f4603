// Calls nested as the host nests them, through the built module: an expression
// parameter worked out while the routine fetches it (the routine of that
// expression, of the same object or another, runs inside the fetch), and the
// event raised by "Trigger condition" handled inside its GenerateEvent call.
// The simulated host checks each call on its own; a test fails on any
// protocol violation.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "simhost/SimulatedHost.h"
#include "tests/ModulePath.h"
#include "tests/SmallStack.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::HostResult;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

Arg T(const std::string& text) { return Arg::Text(text); }
Arg N(double number) { return Arg::Number(number); }

class NestingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (double v : {5.0, 7.0, 11.0}) a_.Action(ActionCode::kAppendNumber, {T("a"), N(v)});
    for (const char* name : {"a", "names", "b"})
      a_.Action(ActionCode::kAppendText, {T("names"), T(name)});
    for (double v : {100.0, 200.0, 300.0}) b_.Action(ActionCode::kAppendNumber, {T("b"), N(v)});
  }
  void TearDown() override { EXPECT_EQ(host_.violations(), std::vector<std::string>()); }

  // A parameter worked out, when fetched, as `object`'s expression `code`;
  // `depths` gets the host's call depth seen from inside.
  Arg NestedNumber(SimulatedObject& object, ExpressionCode code, std::vector<Arg> args) {
    return Arg::DeferredNumber([this, &object, code, args] {
      depths_.push_back(host_.CallDepthForTesting());
      return object.Expression(code, args).AsNumber();
    });
  }
  Arg NestedText(SimulatedObject& object, ExpressionCode code, std::vector<Arg> args) {
    return Arg::DeferredText([this, &object, code, args] {
      depths_.push_back(host_.CallDepthForTesting());
      return object.Expression(code, args).ToString();
    });
  }
  std::string AsString(SimulatedObject& object, const std::string& set) {
    return object.Expression(ExpressionCode::kAsString, {T(set), N(20)}).text;
  }

  SimulatedHost host_{ModulePath()};
  SimulatedObject& a_ = host_.CreateObject();
  SimulatedObject& b_ = host_.CreateObject();
  std::vector<int> depths_;  // the call depth at each nested fetch
};

TEST_F(NestingTest, AnActionsParameterIsAnExpressionOfTheSameObject) {
  a_.Action(ActionCode::kAppendNumber,
            {T("c"), NestedNumber(a_, ExpressionCode::kElementAt, {T("a"), N(0)})});
  a_.Action(ActionCode::kAppendText,
            {NestedText(a_, ExpressionCode::kElementAtStr, {T("names"), N(1)}),
             NestedText(a_, ExpressionCode::kElementAtStr, {T("a"), N(2)})});
  EXPECT_EQ(AsString(a_, "c"), "[5]");
  EXPECT_EQ(AsString(a_, "names"), "[a, names, b, 11]");
  EXPECT_EQ(depths_, std::vector<int>({1, 1, 1}));  // inside the action's call
}

// Expressions whose parameters are expressions, at either parameter and
// nested again, each answered as if its parameters had been given plainly.
TEST_F(NestingTest, AnExpressionsParameterIsAnotherExpression) {
  struct Case {
    const char* what;
    std::function<HostResult()> call;
    HostResult expected;
  };
  SimulatedObject& a = a_;
  const std::vector<Case> cases = {
      {"ElementAt(\"a\", Length(\"a\") - 1)",
       [&] {
         return a.Expression(ExpressionCode::kElementAt,
                             {T("a"), Arg::DeferredNumber([&] {
                                return a.Expression(ExpressionCode::kLength, {T("a")}).AsNumber() -
                                       1;
                              })});
       },
       HostResult::Float(11)},
      {"Length(ElementAtStr$(\"names\", 0)) with a text result inside an integer one",
       [&] {
         return a.Expression(ExpressionCode::kLength,
                             {NestedText(a, ExpressionCode::kElementAtStr, {T("names"), N(0)})});
       },
       HostResult::Integer(3)},
      {"BinomialCoefficient(Length(\"a\"), Length(\"names\")) nested at both parameters",
       [&] {
         return a.Expression(ExpressionCode::kBinomial,
                             {NestedNumber(a, ExpressionCode::kLength, {T("a")}),
                              NestedNumber(a, ExpressionCode::kLength, {T("names")})});
       },
       HostResult::Integer(1)},
      {"asString$(ElementAtStr$(\"names\", Length(\"names\") - 1), ElementAt(\"a\", 1)), "
       "two deep",
       [&] {
         return a.Expression(
             ExpressionCode::kAsString,
             {Arg::DeferredText([&] {
                return a
                    .Expression(
                        ExpressionCode::kElementAtStr,
                        {T("names"), Arg::DeferredNumber([&] {
                           return a.Expression(ExpressionCode::kLength, {T("names")}).AsNumber() -
                                  1;
                         })})
                    .text;
              }),
              NestedNumber(a, ExpressionCode::kElementAt, {T("a"), N(1)})});
       },
       HostResult::Text("[100, 200, 300]")},
      {"ElementAt of a missing set at a nested index",
       [&] {
         return a.Expression(ExpressionCode::kElementAt,
                             {T("none"), NestedNumber(a, ExpressionCode::kListSum, {T("a")})});
       },
       HostResult::Float(0)},
  };
  a_.Action(ActionCode::kAppendNumber, {T("b"), N(100)});
  a_.Action(ActionCode::kAppendNumber, {T("b"), N(200)});
  a_.Action(ActionCode::kAppendNumber, {T("b"), N(300)});
  for (const Case& c : cases) EXPECT_EQ(c.call(), c.expected) << c.what;
}

TEST_F(NestingTest, TwoObjectsCallEachOthersExpressions) {
  // ElementAt("a", b's Length(a's ElementAtStr$("names", 2)) - 2): three calls deep.
  const HostResult result = a_.Expression(
      ExpressionCode::kElementAt,
      {T("a"), Arg::DeferredNumber([&] {
         return b_.Expression(ExpressionCode::kLength,
                              {NestedText(a_, ExpressionCode::kElementAtStr, {T("names"), N(2)})})
                    .AsNumber() -
                2;
       })});
  EXPECT_EQ(result, HostResult::Float(7));
  EXPECT_EQ(depths_, std::vector<int>({2}));  // inside a's call and b's
  b_.Action(ActionCode::kAppendNumber,
            {T("b"), NestedNumber(a_, ExpressionCode::kListSum, {T("a")})});
  a_.Action(ActionCode::kAppendText,
            {T("from b"), NestedText(b_, ExpressionCode::kAsString, {T("b"), N(10)})});
  EXPECT_EQ(AsString(b_, "b"), "[100, 200, 300, 23]");
  EXPECT_EQ(AsString(a_, "from b"), "[[100, 200, 300, 23]]");
}

TEST_F(NestingTest, TheTriggeredEventRunsInsideGenerateEvent) {
  std::vector<std::string> seen;
  host_.SetEventHandler([&](SimulatedObject& object, uint32_t code, bool holds) {
    EXPECT_EQ(&object, &a_);
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(holds);
    EXPECT_EQ(host_.CallDepthForTesting(), 1);  // the trigger's call is still running
    const double before = a_.Expression(ExpressionCode::kLength, {T("log")}).AsNumber();
    a_.Action(ActionCode::kAppendNumber,
              {T("log"), NestedNumber(a_, ExpressionCode::kListSum, {T("a")})});
    a_.Action(ActionCode::kFirstSubset, {T("a"), N(2), T("pair")});
    a_.Action(ActionCode::kDefineMapped, {T("pair"), T("x*10"), T("tens")});
    seen.push_back(AsString(a_, "log") + " after " + std::to_string(static_cast<int>(before)) +
                   ", " + AsString(a_, "tens"));
  });
  a_.Action(ActionCode::kTrigger);
  a_.Action(ActionCode::kTrigger);
  EXPECT_EQ(seen,
            std::vector<std::string>({"[23] after 0, [50, 70]", "[23, 23] after 1, [50, 70]"}));
  ASSERT_EQ(host_.raised_events().size(), 2u);
  EXPECT_TRUE(host_.raised_events()[0].holds);
  // What the events did stays after the trigger returned.
  EXPECT_EQ(AsString(a_, "log"), "[23, 23]");
  EXPECT_EQ(a_.Expression(ExpressionCode::kListSum, {T("tens")}), HostResult::Float(120));
  host_.SetEventHandler(nullptr);
}

// Every call has a work budget of its own: inside the event of "Trigger
// condition", a read that runs out of its budget (a filter that nothing
// passes) spoils neither the calls after it nor the one around it. Each
// answer is the one given outside any event.
TEST_F(NestingTest, ACallThatRunsOutOfWorkSpoilsNoOtherCall) {
  host_.AddListObject("L");
  a_.Action(ActionCode::kDefineFiltered, {T("<p>"), T("x < 0"), T("none")});
  a_.Action(ActionCode::kFirstSubset, {T("a"), N(2), T("pair")});
  std::vector<std::string> seen;
  host_.SetEventHandler([&](SimulatedObject&, uint32_t, bool) {
    seen.push_back("[" + a_.Expression(ExpressionCode::kElementAtStr, {T("none"), N(0)}).text +
                   "]");
    seen.push_back(a_.Expression(ExpressionCode::kElementAt, {T("a"), N(0)}).ToString());
    seen.push_back(a_.Expression(ExpressionCode::kListSum, {T("a")}).ToString());
    seen.push_back(AsString(a_, "a"));
    a_.Action(ActionCode::kSetToListObject, {T("a"), T("L"), N(2)});
    a_.Action(ActionCode::kAppendNumber, {T("pair"), N(1)});
  });
  // And after the trigger, an action's nested read has a whole budget too.
  a_.Action(ActionCode::kTrigger);
  a_.Action(ActionCode::kAppendNumber,
            {T("after"), NestedNumber(a_, ExpressionCode::kListSum, {T("a")})});
  host_.SetEventHandler(nullptr);
  EXPECT_EQ(seen, std::vector<std::string>({"[]", "5", "23", "[5, 7, 11]"}));
  EXPECT_EQ(host_.ListObjectItems("L"), std::vector<std::string>({"5", "7"}));
  EXPECT_EQ(AsString(a_, "pair"), "[5, 7, 1]");
  EXPECT_EQ(AsString(a_, "after"), "[23]");
  EXPECT_TRUE(host_.message_boxes().empty());
}

// A handler that triggers the event again runs inside itself; past the host's
// nesting limit the innermost trigger is refused, what the handler throws
// reaches the outermost caller once the module has returned, and the object
// goes on working. The chain runs on a thread of 8 MB, the stack of a Linux
// main thread: the sanitizer build's frames are several times larger than a
// release build's (which needs less than 1 MB for it).
constexpr std::size_t kNestingStackBytes = std::size_t{8} << 20;

TEST_F(NestingTest, EventsThatTriggerThemselvesStopAtTheLimit) {
  RunWithStack(kNestingStackBytes, [this] {
    int handled = 0;
    int deepest = 0;
    host_.SetEventHandler([&](SimulatedObject& object, uint32_t, bool) {
      ++handled;
      deepest = std::max(deepest, host_.CallDepthForTesting());
      object.Action(ActionCode::kAppendNumber,
                    {T("depth"), NestedNumber(object, ExpressionCode::kLength, {T("depth")})});
      object.Action(ActionCode::kTrigger);
    });
    EXPECT_THROW(a_.Action(ActionCode::kTrigger), std::length_error);
    EXPECT_EQ(deepest, SimulatedHost::kMaxCallDepth - 1);
    EXPECT_EQ(a_.Expression(ExpressionCode::kLength, {T("depth")}), HostResult::Integer(handled));
    EXPECT_EQ(host_.CallDepthForTesting(), 0);

    host_.SetEventHandler([&](SimulatedObject&, uint32_t, bool) {
      throw std::runtime_error("the event's own failure");
    });
    try {
      a_.Action(ActionCode::kTrigger);
      ADD_FAILURE() << "the handler's exception was lost";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "the event's own failure");
    }
    host_.SetEventHandler(nullptr);
    EXPECT_EQ(AsString(a_, "a"), "[5, 7, 11]");
  });
}

TEST_F(NestingTest, WhatANestedParameterThrowsReachesTheCallerAndTheObjectGoesOn) {
  // A caller's mistake inside: the nested call has a parameter too few.
  EXPECT_THROW(
      a_.Expression(ExpressionCode::kElementAt,
                    {T("a"), Arg::DeferredNumber([&] {
                       return a_.Expression(ExpressionCode::kElementAt, {T("a")}).AsNumber();
                     })}),
      std::invalid_argument);
  EXPECT_EQ(host_.CallDepthForTesting(), 0);
  EXPECT_EQ(a_.Expression(ExpressionCode::kElementAt, {T("a"), N(1)}), HostResult::Float(7));
}

}  // namespace

}  // namespace tallyra
