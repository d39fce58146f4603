#include "tallyra/ScriptRunner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tallyra/ScriptError.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/ScriptTesting.h"

namespace {

class ScriptRunnerTest : public ::testing::Test {
 protected:
  // Reads and runs the script; answers its output lines, then "error N: ..."
  // when it stops on an error.
  std::vector<std::string> Run(const std::string& text) {
    std::vector<std::string> out;
    ScriptReader reader(language_);
    ScriptRunner runner(host_, [&out](const std::string& line) { out.push_back(line); });
    std::istringstream in(text);
    std::string line;
    try {
      while (std::getline(in, line)) {
        ScriptStatement s;
        if (reader.Read(line, &s)) runner.Run(s);
      }
      reader.Finish();
    } catch (const ScriptError& e) {
      out.push_back("error " + std::to_string(e.line()) + ": " + e.what());
    }
    return out;
  }

  ScriptLanguage language_{RegistryDescription()};
  FakeHost host_;
};

using Lines = std::vector<std::string>;

TEST_F(ScriptRunnerTest, PrintsEachKindOfValue) {
  host_.expressionResults[0] = ScriptValue::Integer(3);
  host_.expressionResults[2] = ScriptValue::Float(0.1f);
  host_.expressionResults[4] = ScriptValue::Text("[2, 3, ... ]");
  EXPECT_EQ(Run("print Length(\"a\")\n"
                "print ElementAt(\"a\", Length(\"a\") - 1)\n"
                "print asString$(\"<p>\", 2)\n"
                "print 4 == 4\n"
                "print 4 == 5\n"
                "print \"line\"\n"),
            Lines({"3", "0.1", "[2, 3, ... ]", "true", "false", "line"}));
  EXPECT_EQ(host_.calls, Lines({"expression 0 \"a\"", "expression 0 \"a\"", "expression 2 \"a\" 2",
                                "expression 4 \"<p>\" 2", "condition 0 4 4", "condition 0 4 5"}));
}

TEST_F(ScriptRunnerTest, ArithmeticWrapsLikeTheHostsIntegersAndWidensToFloat) {
  EXPECT_EQ(Run("print 2147483647 + 1\n"
                "print -(-2147483648)\n"
                "print 65536 * 65536 + 7\n"
                "print 2 * 0.25 - 1\n"
                "print 1.5 + 1\n"),
            Lines({"-2147483648", "-2147483648", "7", "-0.5", "2.5"}));
}

TEST_F(ScriptRunnerTest, RepeatsNestAndTakeTheirCountOnce) {
  host_.expressionResults[0] = ScriptValue::Integer(2);
  Run("repeat Length(\"a\")\n"
      "  repeat 3\n"
      "    Dummy action\n"
      "  end\n"
      "end\n"
      "repeat -1\n"
      "  Dummy action\n"
      "end\n");
  EXPECT_EQ(host_.calls.size(), 1u + 6u);
}

TEST_F(ScriptRunnerTest, OnBlocksRunWhenTheObjectRaisesTheirCondition) {
  host_.actionEffects[0] = [](HostObserver& o) { o.EventRaised(1); };
  EXPECT_EQ(Run("Trigger condition\n"  // before any block: nothing waits yet
                "on trigger\n"
                "  print \"first\"\n"
                "end\n"
                "on trigger\n"
                "  print \"second\"\n"
                "end\n"
                "print \"before\"\n"
                "Trigger condition\n"
                "print \"after\"\n"
                "on 1 == 1\n"
                "  print \"holds\"\n"
                "end\n"
                "on 1 == 2\n"
                "  print \"never\"\n"
                "end\n"),
            Lines({"before", "first", "second", "after", "holds"}));
}

TEST_F(ScriptRunnerTest, BlocksRunInsideTheRaisingActionAndArgumentsWhenFetched) {
  host_.actionEffects[0] = [this](HostObserver& o) {
    o.EventRaised(1);
    host_.calls.push_back("action 0 returns");
  };
  host_.expressionResults[0] = ScriptValue::Integer(4);
  Run("on trigger\n"
      "  Append element Length(\"a\") * 2 to set \"b\"\n"
      "end\n"
      "Trigger condition\n");
  EXPECT_EQ(host_.calls, Lines({"action 0", "condition 1", "expression 0 \"a\"", "action 3 \"b\" 8",
                                "action 0 returns"}));
}

TEST_F(ScriptRunnerTest, AnEventThatRaisesItselfStopsTheScript) {
  host_.actionEffects[0] = [](HostObserver& o) { o.EventRaised(1); };
  Lines out =
      Run("on trigger\n"
          "  Trigger condition\n"
          "end\n"
          "Trigger condition\n"
          "print \"not reached\"\n");
  EXPECT_EQ(out.back(),
            "error 2: events nest more than 64 deep: an on block raises the event that it "
            "waits for");
  EXPECT_EQ(out.size(), 1u);
}

TEST_F(ScriptRunnerTest, MessageBoxesAreLinesInOrderWithThePrints) {
  host_.actionEffects[11] = [](HostObserver& o) {
    o.MessageBoxShown("Tallyra Object Error", "Error: missing.\n\nReally.");
  };
  EXPECT_EQ(Run("print 1\n"
                "Put the contence of List \"L\" into \"s\"\n"
                "print 2\n"),
            Lines({"1", "[Tallyra Object Error] Error: missing.\\n\\nReally.", "2"}));
}

TEST_F(ScriptRunnerTest, ListObjectsHoldTheirItemsAsPrinted) {
  EXPECT_EQ(Run("List object \"L\" holds \"a\", 2.5, 3 - 1\n"
                "print List object \"L\"\n"
                "List object \"L\" holds nothing\n"
                "print List object \"L\"\n"
                "print List object \"M\"\n"
                "print \"not reached\"\n"),
            Lines({"[a, 2.5, 2]", "[]", "error 5: no List object is named \"M\""}));
  EXPECT_EQ(Run("List object \"Tallyra 1\" holds nothing\n"),
            Lines({"error 1: the object itself is named \"Tallyra 1\""}));
}

}  // namespace
