// The conditions, the trigger, dummy and appending actions, and the
// expressions, run as the host runs them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

#include "lists/ConcreteList.h"
#include "lists/testing/UnlimitedBudget.h"
#include "runtime/testing/RoutineTest.h"

namespace tallyra {

namespace {

// A finite virtual list 10, 20, ..., whose concrete form is a new copy, or
// whose concrete form cannot be made.
class Tens final : public List {
 public:
  enum Failure { kNone, kTooLong, kNoMemory };
  explicit Tens(int32_t length, Failure failure = kNone) : length_(length), failure_(failure) {}
  int32_t LengthOf(WorkBudget&) override { return length_; }
  Element ElementOf(uint32_t index, WorkBudget&) override {
    return index < static_cast<uint32_t>(length_) ? Element::Number(10.0 * (index + 1))
                                                  : Element::None();
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) override {
    if (failure_ == kTooLong) throw std::length_error("too long to copy");
    if (failure_ == kNoMemory) throw std::bad_alloc();
    return MakeConcreteCopy(*this, budget);
  }

 private:
  int32_t length_;
  Failure failure_;
};

class SetRoutinesTest : public RoutineTest {
 protected:
  using Result = FakePort::ResultKind;

  std::string ElementAtStr(const std::string& set, int32_t index) {
    Evaluate(ExpressionElementAtStr, set, index);
    return host_.result_text();
  }
  float ElementAt(const std::string& set, int32_t index) {
    Evaluate(ExpressionElementAt, set, index);
    return host_.result_float();
  }
  float ListSum(const std::string& set) {
    Evaluate(ExpressionListSum, set);
    return host_.result_float();
  }
};

TEST_F(SetRoutinesTest, Conditions) {
  host_.QueueInteger(4);
  host_.QueueInteger(4);
  EXPECT_EQ(ConditionEqual(store(), host_, budget()), 1);
  host_.QueueInteger(4);
  host_.QueueInteger(5);
  EXPECT_EQ(ConditionEqual(store(), host_, budget()), 0);
  host_.QueueInteger(-1);
  host_.QueueInteger(-1);
  EXPECT_EQ(ConditionEqual(store(), host_, budget()), 1);
  EXPECT_EQ(ConditionOnTrigger(store(), host_, budget()), 1);
}

TEST_F(SetRoutinesTest, TriggerRaisesConditionOneAndDummyDoesNothing) {
  ActionTrigger(store(), host_, budget());
  EXPECT_EQ(host_.conditions(), std::vector<int32_t>{1});
  ActionDummy(store(), host_, budget());
  EXPECT_EQ(host_.conditions().size(), 1u);
  EXPECT_EQ(store().size(), 3u);
}

TEST_F(SetRoutinesTest, AppendingCreatesTheSetAndKeepsOrder) {
  AppendText("s", " hello");
  EXPECT_EQ(Length("s"), 1);
  AppendNumber("s", 2.5f);
  AppendText("s", "42");
  EXPECT_EQ(AsString("s"), "[ hello, 2, 42]");
  EXPECT_EQ(Set("s")->get()->ElementAt(0, UnlimitedBudget()).kind(), kElementText);
  EXPECT_EQ(Set("s")->get()->ElementAt(1, UnlimitedBudget()).kind(), kElementNumber);
  AppendText("", "empty name");
  EXPECT_EQ(AsString(""), "[empty name]");
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(SetRoutinesTest, AppendedFloatsAreTruncatedToIntegers) {
  const struct {
    float value;
    double appended;
  } cases[] = {
      {3.99f, 3},
      {-0.5f, 0},
      {2.7f, 2},
      {-2.7f, -2},
      {2147483520.0f, 2147483520.0},  // the largest float below 2^31
      {-2147483648.0f, -2147483648.0},
      {2147483648.0f, -2147483648.0},
      {-2147483904.0f, -2147483648.0},
      {3e9f, -2147483648.0},
      {std::numeric_limits<float>::infinity(), -2147483648.0},
      {-std::numeric_limits<float>::infinity(), -2147483648.0},
      {std::numeric_limits<float>::quiet_NaN(), -2147483648.0},
  };
  uint32_t i = 0;
  for (const auto& c : cases) {
    AppendNumber("n", c.value);
    const Element e = Set("n")->get()->ElementAt(i++, UnlimitedBudget());
    EXPECT_EQ(e.kind(), kElementNumber);
    EXPECT_EQ(e.number(), c.appended) << c.value;
    EXPECT_FALSE(std::signbit(e.number()) && e.number() == 0) << "no negative zero";
  }
}

TEST_F(SetRoutinesTest, AppendingToACopyableVirtualListRebindsOnlyThatName) {
  auto tens = std::make_shared<Tens>(2);
  std::weak_ptr<List> watch = tens;
  *store().LookUpSet("v", true) = ListRef(tens);
  *store().LookUpSet("w", true) = ListRef(tens);
  tens.reset();
  AppendText("v", "x");
  EXPECT_EQ(AsString("v"), "[10, 20, x]");
  EXPECT_NE(dynamic_cast<ConcreteList*>(Set("v")->get()), nullptr);
  EXPECT_EQ(Set("w")->get(), watch.lock().get()) << "the other name keeps the virtual list";
  EXPECT_EQ(AsString("w"), "[10, 20]");
  *Set("w") = ListRef(std::make_shared<ConcreteList>());
  EXPECT_TRUE(watch.expired()) << "released once no name refers to it";
}

TEST_F(SetRoutinesTest, AppendingToAListWithoutConcreteFormIsRefused) {
  List* primes = Set("<p>")->get();
  AppendText("<p>", "x");
  AppendNumber("<primes>", 4);
  ASSERT_EQ(host_.messages().size(), 2u);
  EXPECT_EQ(host_.messages()[0].caption, "List Object Error");
  EXPECT_EQ(host_.messages()[0].text,
            "<p> is a virtual list and so elements cannot be appended to it");
  EXPECT_EQ(host_.messages()[1].text,
            "<primes> is a virtual list and so elements cannot be appended to it");
  for (const char* name : {"<p>", "<prime>", "<primes>"}) EXPECT_EQ(Set(name)->get(), primes);
  EXPECT_EQ(AsString("<prime>", 3), "[2, 3, 5, ... ]");
}

TEST_F(SetRoutinesTest, AppendingToAListTooLargeToCopyIsRefused) {
  for (Tens::Failure failure : {Tens::kTooLong, Tens::kNoMemory}) {
    host_.ClearMessages();
    auto big = std::make_shared<Tens>(3, failure);
    *store().LookUpSet("big", true) = ListRef(big);
    AppendText("big", "x");
    AppendNumber("big", 1);
    EXPECT_EQ(
        host_.MessageTexts(),
        std::vector<std::string>(2, "big is too large and so elements cannot be appended to it"));
    EXPECT_EQ(Set("big")->get(), big.get());
  }
}

TEST_F(SetRoutinesTest, LengthAndMissingSets) {
  EXPECT_EQ(Length("<p>"), -1);
  EXPECT_EQ(Length("missing"), 0);
  EXPECT_EQ(ElementAt("missing", 0), 0.0f);
  EXPECT_EQ(host_.result_kind(), Result::kFloat);
  EXPECT_EQ(ListSum("missing"), 0.0f);
  EXPECT_EQ(host_.result_kind(), Result::kFloat);
  for (auto expression : {ExpressionElementAtStr, ExpressionAsString}) {
    Evaluate(expression, "missing", 0);
    // The empty text that needs no host memory.
    EXPECT_EQ(host_.result_kind(), Result::kEmptyText);
  }
  EXPECT_TRUE(host_.returned_texts().empty());
  EXPECT_EQ(Set("missing"), nullptr) << "expressions never create sets";
  EXPECT_TRUE(host_.messages().empty()) << "expressions never show boxes";
}

TEST_F(SetRoutinesTest, ElementAtReadsNumbersInSinglePrecision) {
  EXPECT_EQ(ElementAt("<primes>", 0), 2.0f);
  EXPECT_EQ(host_.result_kind(), Result::kFloat);
  AppendText("t", "12abc");
  AppendText("t", "0.1");
  EXPECT_EQ(ElementAt("t", 0), 12.0f);
  EXPECT_EQ(ElementAt("t", 1), 0.1f);
  EXPECT_EQ(ElementAt("t", 2), 0.0f);
  EXPECT_EQ(ElementAt("t", -1), 0.0f) << "index 4294967295";
  EXPECT_EQ(host_.result_kind(), Result::kFloat);
}

TEST_F(SetRoutinesTest, ListSumAddsInDoubleAndRoundsOnce) {
  EXPECT_EQ(ListSum("<primes>"), 0.0f);
  AppendNumber("s", 1);
  AppendText("s", "2");
  AppendText("s", "x");
  EXPECT_EQ(ListSum("s"), 3.0f);
  AppendNumber("big", 16777216);  // 2^24: adding 1 in single precision would be lost
  AppendNumber("big", 1);
  AppendNumber("big", 1);
  EXPECT_EQ(ListSum("big"), 16777218.0f);
  AppendNumber("empty-then", 0);
  EXPECT_EQ(ListSum("empty-then"), 0.0f);
  // One addition after another, in index order: 1e16 + 1 rounds back to
  // 1e16, so the sum is 0 (a sum in any other order or grouping gives 1).
  for (const char* text : {"1e16", "1", "-1e16"}) AppendText("order", text);
  EXPECT_EQ(ListSum("order"), 0.0f);
}

TEST_F(SetRoutinesTest, TextResults) {
  AppendNumber("s", 2);
  AppendText("s", "two");
  EXPECT_EQ(ElementAtStr("s", 0), "2");
  EXPECT_EQ(host_.result_kind(), Result::kText);
  EXPECT_EQ(ElementAtStr("s", 1), "two");
  EXPECT_EQ(ElementAtStr("s", 2), "");
  EXPECT_EQ(host_.returned_texts(), (std::vector<std::string>{"2", "two", ""}));
  EXPECT_EQ(AsString("s", 1), "[2, ... ]");
  EXPECT_EQ(host_.result_kind(), Result::kText);
  EXPECT_EQ(AsString("<primes>", 4), "[2, 3, 5, 7, ... ]");
  EXPECT_EQ(AsString("s", -1), "[2, two]");
}

TEST_F(SetRoutinesTest, BinomialCoefficientIsAnInteger) {
  const struct {
    int32_t n, m, result;
  } cases[] = {{5, 2, 10}, {3, 5, 0}, {-5, 3, -35}, {34, 17, static_cast<int32_t>(2333606220u)}};
  for (const auto& c : cases) {
    host_.ClearResult();
    host_.QueueInteger(c.n);
    host_.QueueInteger(c.m);
    ExpressionBinomial(store(), host_, budget());
    EXPECT_EQ(host_.result_kind(), Result::kInteger);
    EXPECT_EQ(host_.result_integer(), c.result);
  }
}

TEST_F(SetRoutinesTest, ReadsCutShortByTheCallsBudgetAnswerNeutrally) {
  // A mapped list of length 3 on a filter that finds nothing: its elements
  // would map the filter's None to 1.
  Run(ActionDefineFiltered, {"<p>", "0", "none"});
  FirstSubset("none", 3, "three");
  Run(ActionDefineMapped, {"three", "x+1", "mapped"});
  allowance_ = 100000;
  EXPECT_EQ(ElementAt("mapped", 1), 0.0f);
  EXPECT_EQ(ElementAtStr("mapped", 1), "");
  EXPECT_EQ(ListSum("mapped"), 0.0f);
  EXPECT_EQ(AsString("mapped"), "[, ... ]");
}

TEST_F(SetRoutinesTest, AStoredSetIsSummedWhereItIsStored) {
  // A stored set is summed in place, at a fraction of the cost of reading
  // its elements one by one: a budget that sums it in full would cut short a
  // mapped list of the same length.
  constexpr uint32_t k_count = 100000;
  auto stored = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < k_count; ++i) stored->AppendNumber(i % 2);
  *store().LookUpSet("stored", /*create=*/true) = ListRef(stored);
  Run(ActionDefineMapped, {"stored", "x", "mapped"});
  allowance_ = work_cost::kLengthQuery + k_count * work_cost::kStoredSum;
  EXPECT_EQ(ListSum("stored"), k_count / 2.0f);
  EXPECT_EQ(ListSum("mapped"), 0.0f);  // cut short
  allowance_ = WorkBudget::kPerCall;
  EXPECT_EQ(ListSum("mapped"), k_count / 2.0f);
}

}  // namespace

}  // namespace tallyra
