// The simulated host's own checks, against modules that break the rules in
// known ways (simhost/testing/).
#include "simhost/SimulatedHost.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tallyra::simhost {

namespace {

// Whether some violation contains every one of the fragments.
bool Reported(const SimulatedHost& host, std::initializer_list<const char*> fragments) {
  for (const std::string& violation : host.violations()) {
    bool all = true;
    for (const char* fragment : fragments)
      all = all && violation.find(fragment) != std::string::npos;
    if (all) return true;
  }
  return false;
}

std::string All(const SimulatedHost& host) {
  std::string all;
  for (const std::string& violation : host.violations()) all += violation + "\n";
  return all;
}

class FaultyModuleTest : public ::testing::Test {
 protected:
  SimulatedHost host_{FAULTY_MODULE_PATH};
  SimulatedObject& object_ = host_.CreateObject("Faulty");
};

TEST_F(FaultyModuleTest, ParametersTakenWronglyAreReported) {
  EXPECT_TRUE(object_.Condition(0, {Arg::Number(1), Arg::Number(2)}));
  EXPECT_TRUE(Reported(host_, {"Faulty, condition 0", "fetched 1 of its 2 parameters"}))
      << All(host_);
  EXPECT_TRUE(Reported(host_, {"condition 0", "answered 2"})) << All(host_);
  host_.ClearRecords();

  object_.Action(0, {Arg::Text("t"), Arg::Number(3)});
  EXPECT_TRUE(Reported(host_, {"action 0", "parameter 0 (type 45) as an integer"})) << All(host_);
  EXPECT_TRUE(Reported(host_, {"action 0", "parameter 1 (type 22) as a text"})) << All(host_);
  EXPECT_TRUE(Reported(host_, {"action 0", "answered 5"})) << All(host_);
}

TEST_F(FaultyModuleTest, ExpressionHandshakeAndResultMarksAreChecked) {
  const HostResult result = object_.Expression(0, {Arg::Text("s"), Arg::Number(1)});
  EXPECT_EQ(result, HostResult::Text("both"));
  EXPECT_TRUE(Reported(host_, {"GetNextExpressionParameter before the first"})) << All(host_);
  EXPECT_TRUE(Reported(host_, {"with handle"})) << All(host_);
  EXPECT_TRUE(Reported(host_, {"both a float and a text"})) << All(host_);
  host_.ClearRecords();

  EXPECT_EQ(object_.Expression(1), HostResult::Text("abcd"));
  EXPECT_TRUE(Reported(host_, {"expression 1", "not terminated within its string space"}))
      << All(host_);
}

TEST_F(FaultyModuleTest, ViolationsInsideANestedCallAreTheNestedCallsOwn) {
  // Action 0's text parameter is worked out by expression 0, which breaks
  // the expression handshake inside the action's (wrong) fetch.
  object_.Action(0, {Arg::DeferredText([this] {
                       EXPECT_EQ(host_.CallDepthForTesting(), 1);
                       return object_.Expression(0, {Arg::Text("s"), Arg::Number(1)}).text;
                     }),
                     Arg::Number(3)});
  EXPECT_TRUE(
      Reported(host_, {"Faulty, expression 0", "GetNextExpressionParameter before the first"}))
      << All(host_);
  EXPECT_TRUE(Reported(host_, {"Faulty, expression 0", "with handle"})) << All(host_);
  EXPECT_TRUE(Reported(host_, {"Faulty, expression 0", "both a float and a text"})) << All(host_);
  EXPECT_TRUE(Reported(host_, {"Faulty, action 0", "parameter 0 (type 45) as an integer"}))
      << All(host_);
  EXPECT_TRUE(Reported(host_, {"Faulty, action 0", "parameter 1 (type 22) as a text"}))
      << All(host_);
  EXPECT_FALSE(Reported(host_, {"action 0", "ExpressionParameter"})) << All(host_);
  EXPECT_EQ(host_.CallDepthForTesting(), 0);
}

TEST_F(FaultyModuleTest, RaisedEventsAndEscapingExceptionsAreRecorded) {
  std::vector<uint32_t> handled;
  host_.SetEventHandler([&](SimulatedObject&, uint32_t code, bool holds) {
    EXPECT_TRUE(holds);
    handled.push_back(code);
  });
  object_.Action(1);
  EXPECT_EQ(handled, std::vector<uint32_t>({1}));  // not the unregistered condition 7
  host_.SetEventHandler(nullptr);
  ASSERT_EQ(host_.raised_events().size(), 2u);
  EXPECT_EQ(host_.raised_events()[0].code, 1u);
  EXPECT_TRUE(host_.raised_events()[0].holds);
  EXPECT_FALSE(host_.raised_events()[1].holds);
  EXPECT_TRUE(Reported(host_, {"raised condition 7, which is not registered"})) << All(host_);

  object_.Action(2);
  EXPECT_TRUE(Reported(host_, {"action 2", "an exception left the routine"})) << All(host_);
}

TEST_F(FaultyModuleTest, EditorTextsPastTheMaximumAreReported) {
  EXPECT_EQ(host_.DisplayString(OperationKind::kCondition, 0), std::nullopt);  // a stub
  EXPECT_TRUE(host_.violations().empty());
  host_.DisplayString(OperationKind::kAction, 0, 8);
  EXPECT_TRUE(Reported(host_, {"a display string wrote past the maximum length 8"})) << All(host_);
}

TEST_F(FaultyModuleTest, CallersMistakesAreRefusedBeforeTheModuleRuns) {
  EXPECT_THROW(object_.Action(3), std::invalid_argument);                    // no such code
  EXPECT_THROW(object_.Action(0, {Arg::Text("t")}), std::invalid_argument);  // too few
  EXPECT_THROW(object_.Action(0, {Arg::Number(1), Arg::Number(3)}), std::invalid_argument);
  EXPECT_THROW(object_.Condition(-1), std::invalid_argument);
  EXPECT_THROW(host_.ListObjectItems("none"), std::invalid_argument);
  EXPECT_TRUE(host_.violations().empty());
}

TEST(SimulatedHostTest, AModuleMustExportEveryName) {
  try {
    SimulatedHost host(INCOMPLETE_MODULE_PATH);
    FAIL() << "loaded an incomplete module";
  } catch (const std::runtime_error& error) {
    const std::string what = error.what();
    EXPECT_NE(what.find("does not export GetObjInfos, GetRunObjectInfos"), std::string::npos)
        << what;
    EXPECT_EQ(what.find("GetInfos,"), std::string::npos) << what;
  }
  EXPECT_THROW(SimulatedHost("/nonexistent/TallyraII.mfx"), std::runtime_error);
}

}  // namespace

}  // namespace tallyra::simhost
