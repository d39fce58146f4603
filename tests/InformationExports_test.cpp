// The exports through which the host learns about the object, read from the
// built module through the simulated host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "abi/OperationCodes.h"
#include "simhost/SimulatedHost.h"
#include "tests/ModulePath.h"

namespace tallyra {

using tallyra::simhost::HostFunctionCall;
using tallyra::simhost::ModuleDescription;
using tallyra::simhost::ModuleExports;
using tallyra::simhost::OperationKindName;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

using Words = std::vector<uint16_t>;

class InformationExportsTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(host_.violations(), std::vector<std::string>()); }

  SimulatedHost host_{ModulePath()};
};

TEST_F(InformationExportsTest, GetInfosAnswersItsFourQueriesAndZeroElsewhere) {
  const struct {
    HostWord query;
    HostWord answer;
  } cases[] = {{0, 768}, {2, 256}, {6, 2}, {7, 248}, {1, 0},    {3, 0},
               {4, 0},   {5, 0},   {8, 0}, {9, 0},   {1000, 0}, {static_cast<HostWord>(-1), 0}};
  for (const auto& c : cases) EXPECT_EQ(host_.Infos(c.query), c.answer) << c.query;
}

TEST_F(InformationExportsTest, ObjectTextsAndRunTimeRecord) {
  const ModuleDescription module = host_.Describe();
  EXPECT_EQ(module.name, "Tallyra Object II");
  EXPECT_EQ(module.author, "The Tallyra Object II developers");
  EXPECT_EQ(module.copyright, "Copyright (C) 2010 The Tallyra Object II developers");
  EXPECT_EQ(module.comment, "Define lists and operate upon them. Pre-release.");
  EXPECT_EQ(module.web, "");

  const RunObjectInfoRecord& record = host_.run_info();  // filled over 0xAB bytes
  EXPECT_EQ(record.condition_count, CodeOf(ConditionCode::kCount));
  EXPECT_EQ(record.action_count, CodeOf(ActionCode::kCount));
  EXPECT_EQ(record.expression_count, CodeOf(ExpressionCode::kCount));
  EXPECT_EQ(record.edit_data_size, 20);
  EXPECT_EQ(record.flags, 0u);
  EXPECT_EQ(record.priority, 100);
  EXPECT_EQ(record.unused, 0xAB);  // not written
  EXPECT_EQ(record.options, 0);
  EXPECT_EQ(std::string(record.identifier, 4), "TLYR");
  EXPECT_EQ(record.version, 1);
  EXPECT_EQ(host_.run_data_size(), 192);
  EXPECT_EQ(host_.exports().GetRunObjectInfos(nullptr, nullptr), 1);
}

TEST_F(InformationExportsTest, EachRoutineTableHoldsARoutinePerCodeAndEndsWithNull) {
  const int conditions = CodeOf(ConditionCode::kCount);
  const int actions = CodeOf(ActionCode::kCount);
  const int expressions = CodeOf(ExpressionCode::kCount);
  for (int code = 0; code < conditions; ++code) EXPECT_NE(host_.condition_table()[code], nullptr);
  EXPECT_EQ(host_.condition_table()[conditions], nullptr);
  for (int code = 0; code < actions; ++code) EXPECT_NE(host_.action_table()[code], nullptr);
  EXPECT_EQ(host_.action_table()[actions], nullptr);
  for (int code = 0; code < expressions; ++code) EXPECT_NE(host_.expression_table()[code], nullptr);
  EXPECT_EQ(host_.expression_table()[expressions], nullptr);
}

TEST_F(InformationExportsTest, InformationRecordsWordByWord) {
  EXPECT_EQ(host_.InfoRecord(OperationKind::kAction, 4),
            (Words{25040, 25040, 4, 0, 3, 45, 22, 45, 25041, 25042, 25043}));
  EXPECT_EQ(host_.InfoRecord(OperationKind::kExpression, 5),
            (Words{27050, 27050, 5, 2, 2, 2, 2, 0, 0}));
  EXPECT_EQ(host_.InfoRecord(OperationKind::kCondition, 0),
            (Words{26000, 26000, 0, 0x220, 2, 22, 22, 26001, 26002}));
  EXPECT_EQ(host_.InfoRecord(OperationKind::kAction, 0), (Words{25000, 25000, 0, 0, 0}));

  // Every record follows the menu-id and title-id rules; the types, flags
  // and texts of all of them are pinned by the describe transcript.
  for (OperationKind kind :
       {OperationKind::kCondition, OperationKind::kAction, OperationKind::kExpression}) {
    for (std::size_t code = 0; code < OperationCount(kind); ++code) {
      SCOPED_TRACE(std::string(OperationKindName(kind)) + " " + std::to_string(code));
      const Words record = host_.InfoRecord(kind, static_cast<int>(code));
      ASSERT_GE(record.size(), 5u);
      const std::size_t n = record[4];
      ASSERT_EQ(record.size(), 5 + 2 * n);
      const uint16_t menu_id = MenuIdOf(kind, code);
      EXPECT_EQ(record[0], menu_id);
      EXPECT_EQ(record[1], menu_id);
      EXPECT_EQ(record[2], code);
      for (std::size_t j = 0; j < n; ++j) EXPECT_EQ(record[5 + n + j], TitleIdOf(kind, code, j));
    }
  }
}

TEST_F(InformationExportsTest, RecordsFollowOneAnotherWithNothingBetween) {
  const ModuleExports& module = host_.exports();
  const struct {
    GetConditionInfosFn infos;
    int count;
  } kinds[] = {{module.GetConditionInfos, CodeOf(ConditionCode::kCount)},
               {module.GetActionInfos, CodeOf(ActionCode::kCount)},
               {module.GetExpressionInfos, CodeOf(ExpressionCode::kCount)}};
  for (const auto& kind : kinds) {
    for (int code = 0; code + 1 < kind.count; ++code) {
      const uint16_t* here = kind.infos(nullptr, static_cast<HostWord>(code));
      const uint16_t* next = kind.infos(nullptr, static_cast<HostWord>(code + 1));
      ASSERT_NE(here, nullptr);
      EXPECT_EQ(next - here, 5 + 2 * here[2]) << code;  // here[2] is word 4, n
    }
  }
}

TEST_F(InformationExportsTest, AnUnregisteredCodeHasANullRecord) {
  EXPECT_TRUE(host_.InfoRecord(OperationKind::kCondition, CodeOf(ConditionCode::kCount)).empty());
  EXPECT_TRUE(host_.InfoRecord(OperationKind::kAction, CodeOf(ActionCode::kCount)).empty());
  EXPECT_TRUE(host_.InfoRecord(OperationKind::kExpression, CodeOf(ExpressionCode::kCount)).empty());
  EXPECT_TRUE(host_.InfoRecord(OperationKind::kAction, -1).empty());
  EXPECT_TRUE(host_.InfoRecord(OperationKind::kExpression, 30000).empty());
}

TEST_F(InformationExportsTest, FixedAnswersOfTheRunTimeSide) {
  const ModuleExports& module = host_.exports();
  SimulatedObject& object = host_.CreateObject();
  EXPECT_EQ(host_.DebugTree(), (Words{0xFFFF}));
  EXPECT_EQ(module.GetRegID(), static_cast<HostWord>(-1));
  EXPECT_EQ(module.GetDependencies(), nullptr);
  ASSERT_NE(module.GetHelpFileName(), nullptr);
  EXPECT_STREQ(module.GetHelpFileName(), "");
  EXPECT_EQ(module.HandleRunObject(object.header()), 1);
  EXPECT_EQ(module.PauseRunObject(object.header()), 0);
  EXPECT_EQ(module.ContinueRunObject(object.header()), 0);
  EXPECT_EQ(module.DisplayRunObject(object.header()), 0);
  module.StartApp(nullptr, nullptr);
  module.EndApp(nullptr, nullptr);
  module.EditDebugItem(object.header(), 0);
  char buffer[8] = "same";
  module.GetDebugItem(buffer, object.header(), 0);
  EXPECT_STREQ(buffer, "same");
}

TEST_F(InformationExportsTest, ObjectRectIs32By32FromItsCorner) {
  const HostRect rect = host_.ObjectRect(HostRect{10, 20, 0, 0});
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 42);
  EXPECT_EQ(rect.bottom, 52);
}

TEST_F(InformationExportsTest, PropertiesHandTheHostAnEmptyTable) {
  EXPECT_EQ(host_.Properties(), 1u);
  ASSERT_EQ(host_.host_function_calls().size(), 1u);
  const HostFunctionCall& call = host_.host_function_calls()[0];
  EXPECT_NE(call.edit_data, nullptr);  // the edit data the host passed
  EXPECT_EQ(call.function, 1u);
  EXPECT_EQ(call.b, 1u);
  EXPECT_EQ(call.c, 1u);
  const auto* table = reinterpret_cast<const unsigned char*>(call.a);
  ASSERT_NE(table, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(table[i], 0) << i;  // the end marker only
}

TEST_F(InformationExportsTest, EditorHooksGiveTheirFixedAnswers) {
  const ModuleExports& m = host_.exports();
  char text[16] = "unchanged";
  // Answer 1.
  EXPECT_EQ(m.IsPropEnabled(nullptr, nullptr, 0), 1u);
  EXPECT_EQ(m.GetTextFont(nullptr, nullptr, nullptr, text, sizeof text), 1u);
  EXPECT_EQ(m.EditObject(nullptr, nullptr, nullptr, nullptr), 1u);
  EXPECT_EQ(m.SetTextFont(nullptr, nullptr, nullptr, text), 1u);
  // Answer 0.
  const HostWord zeros[] = {
      m.CreateObject(nullptr, nullptr, nullptr),
      m.EditProp(nullptr, nullptr, 0),
      m.GetPropCheck(nullptr, nullptr, 0),
      m.GetPropCreateParam(nullptr, nullptr, 0),
      m.GetPropValue(nullptr, nullptr, 0),
      m.IsTransparent(nullptr, nullptr, nullptr, 1, 1),
      m.GetTextAlignment(nullptr, nullptr),
      m.GetTextCaps(nullptr, nullptr),
      m.GetTextClr(nullptr, nullptr),
      m.Initialize(nullptr, 0),
      m.UpdateEditStructure(nullptr, nullptr),
      m.UsesFile(nullptr, "file"),
      m.Free(nullptr),
      m.GetFilters(nullptr, text, sizeof text),
      m.LoadObject(nullptr, "file", nullptr, 0),
  };
  for (HostWord answer : zeros) EXPECT_EQ(answer, 0u);
  // No answer, and nothing touched.
  m.PutObject(nullptr, nullptr, nullptr, 1);
  m.RemoveObject(nullptr, nullptr, nullptr, 1);
  m.SetPropCheck(nullptr, nullptr, 0, 1);
  m.SetPropValue(nullptr, nullptr, 0, nullptr);
  m.ReleasePropCreateParam(nullptr, nullptr, 0, 0);
  m.ReleaseProperties(nullptr, nullptr, 0);
  m.UpdateFileNames(nullptr, "app", nullptr, nullptr);
  m.CreateFromFile(nullptr, "file", nullptr);
  m.DuplicateObject(nullptr, nullptr, nullptr);
  m.EditParameter(nullptr, 0, nullptr);
  m.InitParameter(nullptr, 0, nullptr);
  m.GetParameterString(nullptr, 0, nullptr, text, sizeof text);
  m.PrepareToWriteObject(nullptr, nullptr, nullptr);
  m.SetTextAlignment(nullptr, nullptr, 0);
  m.SetTextClr(nullptr, nullptr, 0);
  m.StartFrame(nullptr, 0);
  m.EndFrame(nullptr, 0);
  m.UnloadObject(nullptr, nullptr, 0);
  EXPECT_STREQ(text, "unchanged");
  EXPECT_TRUE(host_.host_function_calls().empty());
}

}  // namespace

}  // namespace tallyra
