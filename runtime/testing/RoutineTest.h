// RoutineTest: a fixture with one created instance, a fake host and a box
// recorder, and helpers that run routines the way the host calls them.
#ifndef TALLYRA_RUNTIME_TESTING_ROUTINETEST_H_
#define TALLYRA_RUNTIME_TESTING_ROUTINETEST_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "extension/RunData.h"
#include "lists/WorkBudget.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "runtime/testing/BoxRecorder.h"
#include "runtime/testing/FakeHost.h"

class RoutineTest : public ::testing::Test {
 protected:
  using Action = void (*)(RunData&, HostServices&, WorkBudget&);
  using Expression = HostWord (*)(RunData&, HostServices&, HostWord, WorkBudget&);

  RoutineTest() { CreateInstance(run_); }
  ~RoutineTest() override { DestroyInstance(run_); }

  void TearDown() override { EXPECT_EQ(host_.Faults(), std::vector<std::string>()); }

  SetStore& store() { return *run_.store; }
  // A fresh budget for one call, as the routine's adapter makes, of
  // allowance_ units.
  WorkBudget& budget() {
    budget_ = std::make_unique<WorkBudget>(allowance_);
    return *budget_;
  }
  ListRef* Set(const std::string& name) { return store().LookUpSet(name, false); }

  // Runs an action whose parameters are all texts.
  void Run(Action action, std::initializer_list<std::string> texts) {
    for (const std::string& text : texts) host_.QueueText(text);
    action(run_, host_, budget());
  }
  void AppendText(const std::string& set, const std::string& text) {
    Run(ActionAppendText, {set, text});
  }
  void AppendNumber(const std::string& set, float value) {
    host_.QueueText(set);
    host_.QueueFloat(value);
    ActionAppendNumber(run_, host_, budget());
  }
  void FirstSubset(const std::string& source, int32_t k, const std::string& destination) {
    host_.QueueText(source);
    host_.QueueInteger(k);
    host_.QueueText(destination);
    ActionFirstSubset(run_, host_, budget());
  }

  // Expressions with the parameters (set name) or (set name, integer); the
  // text result comes back as its text, the float result as its value.
  HostWord Evaluate(Expression expression, const std::string& set, HostWord handle = 7) {
    host_.BeginExpression(handle);
    host_.QueueExpressionText(set);
    return expression(run_, host_, handle, budget());
  }
  HostWord Evaluate(Expression expression, const std::string& set, int32_t value,
                    HostWord handle = 7) {
    host_.BeginExpression(handle);
    host_.QueueExpressionText(set);
    host_.QueueExpressionInteger(value);
    return expression(run_, host_, handle, budget());
  }
  int32_t Length(const std::string& set) {
    return static_cast<int32_t>(Evaluate(ExpressionLength, set));
  }
  std::string AsString(const std::string& set, int32_t maximum = 1000) {
    return host_.StringSpaceText(Evaluate(ExpressionAsString, set, maximum));
  }

  RunData run_{};
  FakeHost host_;
  std::unique_ptr<WorkBudget> budget_;
  uint64_t allowance_ = WorkBudget::kPerCall;
  BoxRecorder boxes_;
};

#endif  // TALLYRA_RUNTIME_TESTING_ROUTINETEST_H_
