#include "extension/RoutineAdapters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>

#include "formula/SubnormalMeter.h"

namespace tallyra {

namespace {

int body_calls = 0;
HostObjectHeader* nested_header = nullptr;
bool inner_spent = false;
bool outer_spent = true;
uint64_t outer_left = 0;

int32_t Holds(SetStore&, HostPort&, WorkBudget&) {
  ++body_calls;
  return 1;
}
int32_t ConditionThrows(SetStore&, HostPort&, WorkBudget&) {
  throw std::runtime_error("condition");
}
void ActionThrows(SetStore&, HostPort&, WorkBudget&) { throw std::bad_alloc(); }
// Spends its whole budget and more.
void SpendsAll(SetStore&, HostPort& host, WorkBudget& budget) {
  inner_spent = !budget.Charge(WorkBudget::kPerCall + 1);
  host.ReturnInteger(0);
}
// Spends half its budget, then (as when it fetches a parameter) the host
// calls another routine of the object, then it goes on.
void SpendsAroundANestedCall(SetStore&, HostPort&, WorkBudget& budget) {
  budget.Charge(WorkBudget::kPerCall / 2);
  ExpressionAdapter<SpendsAll, ExpressionResult::kInteger>(nested_header, 0);
  outer_spent = !budget.Charge(WorkBudget::kPerCall / 4) || budget.Spent();
  outer_left = budget.remaining();
}
// Marks the wrong result bit, then fails.
void MarksFloatThenThrows(SetStore&, HostPort& host, WorkBudget&) {
  host.ReturnFloat(1.0);
  throw std::runtime_error("expression");
}
void MarksTextThenThrows(SetStore&, HostPort& host, WorkBudget&) {
  host.ReturnEmptyText();
  throw 7;  // not even a std::exception
}
void Five(SetStore&, HostPort& host, WorkBudget&) { host.ReturnInteger(5); }
// Clears the floating-point flags, as the formulas' meter does when it reads them.
int32_t ConditionTakesFlags(SetStore&, HostPort&, WorkBudget&) {
  return SubnormalMeter::TakeFlags() ? 1 : 0;
}
void TakesFlags(SetStore&, HostPort& host, WorkBudget&) {
  SubnormalMeter::TakeFlags();
  host.ReturnInteger(0);
}
void NoResult(SetStore&, HostPort&, WorkBudget&) {}

// One instance's run-time data over a run header with no services; the
// bodies here never call them.
class RoutineAdaptersTest : public ::testing::Test {
 protected:
  RoutineAdaptersTest() {
    std::memset(&run_, 0, sizeof run_);
    run_.header.run_header = &run_header_;
    // Built, as far as the adapters can tell; the bodies never use the store.
    run_.reader = &reader_;
    run_.store = reinterpret_cast<SetStore*>(&run_);
    body_calls = 0;
  }

  HostObjectHeader* header() { return &run_.header; }
  uint16_t flags() const { return run_.header.flags; }

  HostRunFunctions functions_{};
  HostRunHeader run_header_{&functions_, nullptr, 0, nullptr, 0};
  ExpressionParamReader reader_{&run_, ReadNext};
  RunData run_;
};

TEST_F(RoutineAdaptersTest, ExceptionsBecomeTheNeutralValueOfTheKind) {
  EXPECT_EQ((ConditionAdapter<ConditionThrows>(header(), 0, 0)), 0);
  EXPECT_EQ((ActionAdapter<ActionThrows>(header(), 0, 0)), 0);

  // A text expression answers the module's empty text, marked as a text only.
  const HostWord text =
      ExpressionAdapter<MarksFloatThenThrows, ExpressionResult::kText>(header(), 0);
  EXPECT_EQ(flags() & (kResultFloat | kResultText), kResultText);
  EXPECT_STREQ(reinterpret_cast<const char*>(text), "");

  run_.header.flags = 0;
  EXPECT_EQ((ExpressionAdapter<MarksTextThenThrows, ExpressionResult::kFloat>(header(), 0)), 0u);
  EXPECT_EQ(flags() & (kResultFloat | kResultText), kResultFloat);

  // An integer carries neither bit, whatever the body marked before failing.
  EXPECT_EQ((ExpressionAdapter<MarksTextThenThrows, ExpressionResult::kInteger>(header(), 0)), 0u);
  EXPECT_EQ(flags() & (kResultFloat | kResultText), 0);
}

TEST_F(RoutineAdaptersTest, AnInstanceThatWasNeverBuiltIsNotRun) {
  run_.store = nullptr;  // CreateRunObject failed
  EXPECT_EQ((ConditionAdapter<Holds>(header(), 0, 0)), 0);
  EXPECT_EQ(body_calls, 0);
  EXPECT_EQ((ConditionAdapter<Holds>(nullptr, 0, 0)), 0);
  const HostWord text = ExpressionAdapter<Five, ExpressionResult::kText>(header(), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(text), "");
  EXPECT_EQ(flags() & kResultText, kResultText);
}

TEST_F(RoutineAdaptersTest, AnswersOfTheBodyPassThroughWithStaleResultBitsCleared) {
  EXPECT_EQ((ConditionAdapter<Holds>(header(), 0, 0)), 1);
  run_.header.flags = kResultText | 0x0001;  // left over from an earlier call; 0x0001 is the host's
  EXPECT_EQ((ExpressionAdapter<Five, ExpressionResult::kInteger>(header(), 0)), 5u);
  EXPECT_EQ(flags(), 0x0001);
  EXPECT_EQ(reader_.read, &ReadFirst) << "each expression reads its first parameter first";

  // A body that hands back nothing answers the neutral value of its kind.
  const HostWord text = ExpressionAdapter<NoResult, ExpressionResult::kText>(header(), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(text), "");
  EXPECT_EQ(flags(), 0x0001 | kResultText);
}

TEST_F(RoutineAdaptersTest, EachCallHasABudgetOfItsOwnThatNestedCallsDoNotTouch) {
  nested_header = header();
  ActionAdapter<SpendsAroundANestedCall>(header(), 0, 0);
  EXPECT_TRUE(inner_spent);
  EXPECT_FALSE(outer_spent);
  EXPECT_EQ(outer_left, WorkBudget::kPerCall / 4);
}

TEST_F(RoutineAdaptersTest, TheHostsFloatingPointFlagsAreGivenBack) {
  const std::function<void()> calls[] = {
      [this] { ConditionAdapter<ConditionTakesFlags>(header(), 0, 0); },
      [this] { ActionAdapter<TakesFlags>(header(), 0, 0); },
      [this] { ExpressionAdapter<TakesFlags, ExpressionResult::kInteger>(header(), 0); },
  };
  for (const auto& call : calls) {
    volatile double small = 1e-300;
    volatile double sink = small / 3e10;  // the host met a subnormal number
    (void)sink;
    call();
    EXPECT_TRUE(SubnormalMeter::TakeFlags());
  }
}

}  // namespace

}  // namespace tallyra
