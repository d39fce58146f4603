// RoutineTest: a fixture with one instance's store and a fake port, and
// helpers that run routines the way the boundary calls them.
#ifndef TALLYRA_RUNTIME_TESTING_ROUTINETEST_H_
#define TALLYRA_RUNTIME_TESTING_ROUTINETEST_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "lists/WorkBudget.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "runtime/testing/FakePort.h"

namespace tallyra {

class RoutineTest : public ::testing::Test {
 protected:
  using Action = void (*)(SetStore&, HostPort&, WorkBudget&);
  using Expression = void (*)(SetStore&, HostPort&, WorkBudget&);

  void TearDown() override { EXPECT_EQ(host_.Faults(), std::vector<std::string>()); }

  SetStore& store() { return *store_; }
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
    action(store(), host_, budget());
  }
  void AppendText(const std::string& set, const std::string& text) {
    Run(ActionAppendText, {set, text});
  }
  void AppendNumber(const std::string& set, float value) {
    host_.QueueText(set);
    host_.QueueFloat(value);
    ActionAppendNumber(store(), host_, budget());
  }
  void FirstSubset(const std::string& source, int32_t k, const std::string& destination) {
    host_.QueueText(source);
    host_.QueueInteger(k);
    host_.QueueText(destination);
    ActionFirstSubset(store(), host_, budget());
  }

  // Runs an expression with the parameters (set name) or (set name, integer);
  // its result is the port's.
  void Evaluate(Expression expression, const std::string& set) {
    host_.ClearResult();
    host_.QueueText(set);
    expression(store(), host_, budget());
  }
  void Evaluate(Expression expression, const std::string& set, int32_t value) {
    host_.ClearResult();
    host_.QueueText(set);
    host_.QueueInteger(value);
    expression(store(), host_, budget());
  }
  int32_t Length(const std::string& set) {
    Evaluate(ExpressionLength, set);
    EXPECT_EQ(host_.result_kind(), FakePort::ResultKind::kInteger);
    return host_.result_integer();
  }
  std::string AsString(const std::string& set, int32_t maximum = 1000) {
    Evaluate(ExpressionAsString, set, maximum);
    return host_.result_text();
  }

  std::unique_ptr<SetStore> store_ = CreateInstanceStore();
  FakePort host_;
  std::unique_ptr<WorkBudget> budget_;
  uint64_t allowance_ = WorkBudget::kPerCall;
};

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_TESTING_ROUTINETEST_H_
