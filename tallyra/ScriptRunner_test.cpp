#include "tallyra/ScriptRunner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tallyra/Plot.h"
#include "tallyra/ScriptError.h"
#include "tallyra/ScriptReader.h"
#include "tallyra/testing/ScriptTesting.h"

namespace tallyra::script {

namespace {

class ScriptRunnerTest : public ::testing::Test {
 protected:
  // Reads and runs the script; answers its output lines, then "error N: ..."
  // when it stops on an error.
  std::vector<std::string> Run(const std::string& text) {
    std::vector<std::string> out;
    ScriptReader reader(language_);
    ScriptRunner runner(host_, [&out](const std::string& line) { out.push_back(line); });
    runner.StopWhenSet(&stop_);
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
  FakeScriptHost host_;
  volatile std::sig_atomic_t stop_ = 0;
};

using Lines = std::vector<std::string>;

TEST_F(ScriptRunnerTest, PrintsEachKindOfValue) {
  host_.expression_results[0] = ScriptValue::Integer(3);
  host_.expression_results[2] = ScriptValue::Float(0.1f);
  host_.expression_results[4] = ScriptValue::Text("[2, 3, ... ]");
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

TEST_F(ScriptRunnerTest, ChainsOfAnyLengthWorkFromTheLeft) {
  // Mixed kinds change along the chain exactly as pairs grouped from the left do.
  EXPECT_EQ(Run("print 2147483647 + 1 - 1 + 0.5\n"
                "print 10 - 2 - 3 * 2 * 0.5 + 1\n"),
            Lines({"2.1474836e+09", "6"}));
  std::string sum = "print 0";
  std::string product = "print 1";
  for (int i = 0; i < 50000; ++i) {
    sum += i % 2 == 0 ? "+3" : "-1";
    product += "*-1";
  }
  EXPECT_EQ(Run(sum + "\n" + product + "\n"), Lines({"50000", "1"}));
}

// "time: D.DDD ms", D one or more digits before the point.
bool IsTimeLine(const std::string& line) {
  const std::string head = "time: ";
  const std::string tail = " ms";
  if (line.size() < head.size() + 5 + tail.size() || line.compare(0, head.size(), head) != 0 ||
      line.compare(line.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  const std::string figure = line.substr(head.size(), line.size() - head.size() - tail.size());
  const size_t point = figure.size() - 4;
  if (figure[point] != '.') return false;
  for (size_t i = 0; i < figure.size(); ++i) {
    if (i != point && (figure[i] < '0' || figure[i] > '9')) return false;
  }
  return true;
}

TEST_F(ScriptRunnerTest, TimePrintsHowLongItsStatementTook) {
  const Lines out = Run("time print 6 * 7\ntime Append element 2 to set \"a\"\n");
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], "42");
  for (const std::string& line : {out[1], out[2]}) {
    EXPECT_TRUE(IsTimeLine(line)) << line;
  }
  EXPECT_EQ(host_.calls, Lines({"action 3 \"a\" 2"}));
}

TEST_F(ScriptRunnerTest, PlotReadsTheElementsAsTextsUpToTheListsLength) {
  host_.expression_results[0] = ScriptValue::Integer(2);  // Length(
  host_.expression_results[1] = ScriptValue::Text("5");   // ElementAtStr$(
  const Lines out = Run("plot \"a\" 10\n");
  EXPECT_EQ(host_.calls,
            Lines({"expression 0 \"a\"", "expression 1 \"a\" 0", "expression 1 \"a\" 1"}));
  ASSERT_EQ(out.size(), static_cast<size_t>(kPlotRows + 2));
  EXPECT_EQ(out.front(), "5 \u2524\u2588\u2588");
}

TEST_F(ScriptRunnerTest, PlotSaysWhereItCutTheRequest) {
  host_.expression_results[0] = ScriptValue::Integer(-1);  // unbounded
  host_.expression_results[1] = ScriptValue::Text("1");
  Lines out = Run("plot \"a\" 500\n");
  EXPECT_EQ(out.front(), "(plotting the first 200 of 500 elements: at most 200 are plotted)");
  EXPECT_EQ(host_.calls.size(), 1u + 200u);
  EXPECT_EQ(out.size(), 1u + kPlotRows + 2u);
}

TEST_F(ScriptRunnerTest, PlotFitsTheTerminal) {
  host_.expression_results[0] = ScriptValue::Integer(100);
  host_.expression_results[1] = ScriptValue::Text("1");
  std::vector<std::string> out;
  ScriptReader reader(language_);
  ScriptRunner runner(host_, [&out](const std::string& line) { out.push_back(line); });
  runner.SetPlotWidth(40);
  ScriptStatement s;
  ASSERT_TRUE(reader.Read("plot \"a\" 1000", &s));
  runner.Run(s);
  EXPECT_EQ(out.front(),
            "(plotting the first 25 of 100 elements: that many fit the terminal's 40 columns)");
  EXPECT_EQ(host_.calls.size(), 1u + 25u);
}

// A text as a script writes it: in quotes, its quotes and backslashes (those
// of a Windows path) escaped.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

TEST_F(ScriptRunnerTest, SaveWritesCsvThatLoadReadsBack) {
  host_.expression_results[0] = ScriptValue::Integer(3);
  host_.expression_results[1] = ScriptValue::Text("say \"hi\", twice");
  const std::string file = ::testing::TempDir() + "tallyra-save-test.csv";
  EXPECT_EQ(Run("save \"a\" to " + Quoted(file) + "\n"),
            Lines({"(saved 3 elements of \"a\" to " + file + ")"}));
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "index,value\r\n0,\"say \"\"hi\"\", twice\"\r\n1,\"say \"\"hi\"\", twice\"\r\n"
            "2,\"say \"\"hi\"\", twice\"\r\n");
  in.close();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "index,value\r\n0,12\r\n1,\"12\"\r\n2,x y\r\n";
  }
  host_.calls.clear();
  EXPECT_EQ(Run("load " + Quoted(file) + " into \"b\"\n"),
            Lines({"(loaded 3 elements from " + file + " into \"b\")"}));
  // An unquoted number becomes a number; a quoted one stays a text.
  EXPECT_EQ(host_.calls,
            Lines({"action 3 \"b\" 12", "action 2 \"b\" \"12\"", "action 2 \"b\" \"x y\""}));
  std::remove(file.c_str());
}

TEST_F(ScriptRunnerTest, RepeatsNestAndTakeTheirCountOnce) {
  host_.expression_results[0] = ScriptValue::Integer(2);
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

TEST_F(ScriptRunnerTest, StopsAtTheNextStatementOnceAskedTo) {
  int dummies = 0;
  host_.action_effects[1] = [this, &dummies](HostObserver&) {
    if (++dummies == 3) stop_ = 1;
  };
  EXPECT_EQ(Run("repeat 1000\n"
                "  Dummy action\n"
                "  print 1\n"
                "end\n"),
            Lines({"1", "1", "error 3: interrupted; every set is kept"}));
  EXPECT_EQ(host_.calls.size(), 3u);
  // An empty loop stops as well, and so does a statement at the top.
  EXPECT_EQ(Run("repeat 2000000000\nend\n"), Lines({"error 1: interrupted; every set is kept"}));
  EXPECT_EQ(Run("print 1\n"), Lines({"error 1: interrupted; every set is kept"}));
}

TEST_F(ScriptRunnerTest, OnBlocksRunWhenTheObjectRaisesTheirCondition) {
  host_.action_effects[0] = [](HostObserver& o) { o.EventRaised(1); };
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
  host_.action_effects[0] = [this](HostObserver& o) {
    o.EventRaised(1);
    host_.calls.push_back("action 0 returns");
  };
  host_.expression_results[0] = ScriptValue::Integer(4);
  Run("on trigger\n"
      "  Append element Length(\"a\") * 2 to set \"b\"\n"
      "end\n"
      "Trigger condition\n");
  EXPECT_EQ(host_.calls, Lines({"action 0", "condition 1", "expression 0 \"a\"", "action 3 \"b\" 8",
                                "action 0 returns"}));
}

TEST_F(ScriptRunnerTest, AnEventThatRaisesItselfStopsTheScript) {
  host_.action_effects[0] = [](HostObserver& o) { o.EventRaised(1); };
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
  host_.action_effects[11] = [](HostObserver& o) {
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

}  // namespace tallyra::script
