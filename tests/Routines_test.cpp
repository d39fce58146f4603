// Every registered routine of the built module, driven by its code through
// the routine tables as the host drives it. The simulated host checks each
// exchange (parameters fetched in order with the declared kinds, result
// marks, string space); a test fails on any protocol violation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simhost/SimulatedHost.h"
#include "tests/ModulePath.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::HostFunctionCall;
using tallyra::simhost::HostResult;
using tallyra::simhost::kCodePageUtf8;
using tallyra::simhost::kCodePageWestern;
using tallyra::simhost::MessageBoxRecord;
using tallyra::simhost::ResultKind;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

Arg T(const std::string& text) { return Arg::Text(text); }
Arg N(double number) { return Arg::Number(number); }

using Items = std::vector<std::string>;

// Action and expression codes.

class RoutinesTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(host_.violations(), std::vector<std::string>()); }

  void Act(ActionCode code, const std::vector<Arg>& args) { object_.Action(code, args); }
  HostResult Eval(ExpressionCode code, const std::vector<Arg>& args) {
    return object_.Expression(code, args);
  }
  std::string AsString(const std::string& set, int maximum = 100) {
    const HostResult result = Eval(ExpressionCode::kAsString, {T(set), N(maximum)});
    EXPECT_EQ(result.kind, ResultKind::kText);
    return result.text;
  }
  std::vector<MessageBoxRecord> TakeBoxes() {
    std::vector<MessageBoxRecord> boxes = host_.message_boxes();
    host_.ClearRecords();
    return boxes;
  }

  SimulatedHost host_{ModulePath()};
  SimulatedObject& object_ = host_.CreateObject();
};

std::vector<std::string> Show(const std::vector<MessageBoxRecord>& boxes) {
  std::vector<std::string> shown;
  for (const MessageBoxRecord& box : boxes) shown.push_back("[" + box.caption + "] " + box.text);
  return shown;
}

TEST_F(RoutinesTest, Conditions) {
  EXPECT_TRUE(object_.Condition(ConditionCode::kEqual, {N(4), N(4)}));
  EXPECT_FALSE(object_.Condition(ConditionCode::kEqual, {N(4), N(5)}));
  EXPECT_TRUE(object_.Condition(ConditionCode::kEqual, {N(-7), N(-7)}));
  EXPECT_TRUE(object_.Condition(ConditionCode::kOnTrigger));
}

TEST_F(RoutinesTest, TheTriggerRaisesOnTriggerAndTheDummyDoesNothing) {
  Act(ActionCode::kDummy, {});
  EXPECT_TRUE(host_.raised_events().empty());
  Act(ActionCode::kTrigger, {});
  ASSERT_EQ(host_.raised_events().size(), 1u);
  EXPECT_EQ(host_.raised_events()[0].object_id, object_.id());
  EXPECT_EQ(host_.raised_events()[0].code, 1u);
  EXPECT_TRUE(host_.raised_events()[0].holds);
  EXPECT_TRUE(host_.message_boxes().empty());
}

TEST_F(RoutinesTest, AppendingAndReadingASet) {
  Act(ActionCode::kAppendText, {T("s"), T("a")});
  Act(ActionCode::kAppendNumber, {T("s"), N(3.99)});  // truncated toward zero
  Act(ActionCode::kAppendNumber, {T("s"), N(-2.7)});
  Act(ActionCode::kAppendText, {T("s"), T("12abc")});

  EXPECT_EQ(Eval(ExpressionCode::kLength, {T("s")}), HostResult::Integer(4));
  EXPECT_EQ(Eval(ExpressionCode::kElementAtStr, {T("s"), N(0)}), HostResult::Text("a"));
  EXPECT_EQ(Eval(ExpressionCode::kElementAtStr, {T("s"), N(1)}), HostResult::Text("3"));
  EXPECT_EQ(Eval(ExpressionCode::kElementAt, {T("s"), N(2)}), HostResult::Float(-2.0f));
  EXPECT_EQ(Eval(ExpressionCode::kElementAt, {T("s"), N(3)}), HostResult::Float(12.0f));
  EXPECT_EQ(Eval(ExpressionCode::kElementAt, {T("s"), N(4)}),
            HostResult::Float(0.0f));  // past the end
  EXPECT_EQ(Eval(ExpressionCode::kListSum, {T("s")}), HostResult::Float(13.0f));
  EXPECT_EQ(AsString("s"), "[a, 3, -2, 12abc]");
  EXPECT_EQ(AsString("s", 2), "[a, 3, ... ]");
  EXPECT_EQ(Eval(ExpressionCode::kBinomial, {N(5), N(2)}), HostResult::Integer(10));
  EXPECT_EQ(Eval(ExpressionCode::kBinomial, {N(3), N(5)}), HostResult::Integer(0));
}

TEST_F(RoutinesTest, ExpressionsOnAMissingSetAnswerNeutrally) {
  EXPECT_EQ(Eval(ExpressionCode::kLength, {T("missing")}), HostResult::Integer(0));
  EXPECT_EQ(Eval(ExpressionCode::kElementAtStr, {T("missing"), N(0)}), HostResult::Text(""));
  EXPECT_EQ(Eval(ExpressionCode::kElementAt, {T("missing"), N(0)}), HostResult::Float(0.0f));
  EXPECT_EQ(Eval(ExpressionCode::kListSum, {T("missing")}), HostResult::Float(0.0f));
  EXPECT_EQ(Eval(ExpressionCode::kAsString, {T("missing"), N(5)}), HostResult::Text(""));
  EXPECT_EQ(Eval(ExpressionCode::kLength, {T("missing")}),
            HostResult::Integer(0));  // never created
  EXPECT_TRUE(host_.message_boxes().empty());
}

TEST_F(RoutinesTest, ThePrimesUnderTheirThreeNames) {
  EXPECT_EQ(Eval(ExpressionCode::kLength, {T("<p>")}), HostResult::Integer(-1));
  EXPECT_EQ(Eval(ExpressionCode::kElementAt, {T("<primes>"), N(0)}), HostResult::Float(2.0f));
  EXPECT_EQ(AsString("<prime>", 4), "[2, 3, 5, 7, ... ]");
  EXPECT_EQ(Eval(ExpressionCode::kListSum, {T("<p>")}), HostResult::Float(0.0f));  // unbounded
}

TEST_F(RoutinesTest, DefiningAndSteppingVirtualLists) {
  Act(ActionCode::kFirstSubset, {T("<primes>"), N(3), T("k")});
  EXPECT_EQ(AsString("k"), "[2, 3, 5]");
  Act(ActionCode::kNextSubset, {T("k")});
  EXPECT_EQ(AsString("k"), "[2, 3, 7]");

  Act(ActionCode::kDefineFormula, {T("squares"), T("n*n")});
  EXPECT_EQ(Eval(ExpressionCode::kElementAt, {T("squares"), N(3)}), HostResult::Float(9.0f));
  Act(ActionCode::kDefineMapped, {T("k"), T("x+n"), T("mapped")});
  EXPECT_EQ(AsString("mapped"), "[2, 4, 9]");
  Act(ActionCode::kDefineSubsequence, {T("<p>"), T("2*n"), T("even positions")});
  EXPECT_EQ(AsString("even positions", 3), "[2, 5, 11, ... ]");
  Act(ActionCode::kDefineMappedPair, {T("<p>"), T("squares"), T("a+b"), T("pair")});
  EXPECT_EQ(AsString("pair", 3), "[2, 4, 9, ... ]");
  Act(ActionCode::kDefineFiltered, {T("<p>"), T("x>10"), T("big")});
  EXPECT_EQ(AsString("big", 3), "[11, 13, 17, ... ]");
  EXPECT_TRUE(host_.message_boxes().empty());
}

TEST_F(RoutinesTest, MissingOrWronglyTypedSetsAreReportedInABox) {
  Act(ActionCode::kDefineMapped, {T("nothing"), T("x"), T("dest")});
  Act(ActionCode::kNextSubset, {T("<p>")});
  EXPECT_EQ(Show(TakeBoxes()),
            (std::vector<std::string>{
                "[List Object Error] nothing does not exist and so a mapped set cannot be based "
                "upon it",
                "[List Object Error] <p> is not of type KSubset and so 'Get Next Subset' cannot "
                "be used on it"}));
  EXPECT_EQ(Eval(ExpressionCode::kLength, {T("dest")}), HostResult::Integer(0));  // not created
}

TEST_F(RoutinesTest, ExchangeWithHostListObjects) {
  host_.AddFreeSlot();
  host_.AddObject("Other", 0x12345678);
  host_.AddListObject("List 1", {"a", "b"});
  host_.AddFreeSlot();
  host_.AddListObject("Out", {"first"});

  Act(ActionCode::kAppendText, {T("s"), T("1")});
  Act(ActionCode::kListObjectToSet, {T("s"), T("List 1")});
  EXPECT_EQ(AsString("s"), "[1, a, b]");

  Act(ActionCode::kSetToListObject, {T("<p>"), T("Out"), N(4)});
  EXPECT_EQ(host_.ListObjectItems("Out"), (Items{"first", "2", "3", "5", "7"}));
  EXPECT_TRUE(host_.message_boxes().empty());

  // Names match byte for byte, List objects only.
  const std::string missing =
      "[Tallyra Object Error] Error: The List object you have selected for to import form or "
      "export to does not exist (or is of the wrong type). The action will fail.\n\nThis error "
      "message will not be shown when the program is built.";
  Act(ActionCode::kListObjectToSet, {T("t"), T("list 1")});
  Act(ActionCode::kListObjectToSet, {T("t"), T("Other")});
  Act(ActionCode::kListObjectToSet, {T("t"), T(object_.name())});
  EXPECT_EQ(Show(TakeBoxes()), (std::vector<std::string>{missing, missing, missing}));
  EXPECT_EQ(AsString("t"), "[]");  // made all the same
}

TEST_F(RoutinesTest, HostsThatKeepNamesWide) {
  host_.SetNamesWide(true);
  host_.SetCodePage(kCodePageUtf8);
  host_.AddListObject("Liste \xC3\xBC", {"x"});  // "Liste ü" in UTF-8
  Act(ActionCode::kListObjectToSet, {T("s"), T("Liste \xC3\xBC")});
  EXPECT_EQ(AsString("s"), "[x]");
  bool asked_wide = false, asked_code_page = false;
  for (const HostFunctionCall& call : host_.host_function_calls()) {
    asked_wide = asked_wide || call.function == 113;
    asked_code_page = asked_code_page || call.function == 115;
  }
  EXPECT_TRUE(asked_wide);
  EXPECT_TRUE(asked_code_page);

  host_.SetCodePage(kCodePageWestern);
  host_.AddListObject("Caf\xE9", {"y"});  // "Café" in code page 1252
  Act(ActionCode::kListObjectToSet, {T("t"), T("Caf\xE9")});
  EXPECT_EQ(AsString("t"), "[y]");
  EXPECT_TRUE(host_.message_boxes().empty());
}

TEST_F(RoutinesTest, InstancesKeepTheirOwnSets) {
  SimulatedObject& second = host_.CreateObject();
  Act(ActionCode::kAppendText, {T("s"), T("mine")});
  EXPECT_EQ(second.Expression(ExpressionCode::kLength, {T("s")}), HostResult::Integer(0));
  host_.DestroyObject(second);
  SimulatedObject& third = host_.CreateObject();
  EXPECT_EQ(third.Expression(ExpressionCode::kLength, {T("<p>")}), HostResult::Integer(-1));
  EXPECT_EQ(Eval(ExpressionCode::kLength, {T("s")}), HostResult::Integer(1));
}

}  // namespace

}  // namespace tallyra
