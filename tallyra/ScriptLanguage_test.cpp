#include "tallyra/ScriptLanguage.h"

#include <gtest/gtest.h>

#include <string>

#include "tallyra/ScriptError.h"
#include "tallyra/testing/ScriptTesting.h"

namespace tallyra::script {

namespace {

std::string Dump(const ScriptExpr& e) {
  switch (e.kind) {
    case ScriptExpr::Kind::kLiteral:
      return e.literal.IsText() ? "\"" + e.literal.text + "\""
                                : FormatValue(e.literal) +
                                      (e.literal.kind == ScriptValue::Kind::kFloat ? "f" : "");
    case ScriptExpr::Kind::kCall: {
      std::string s = "e" + std::to_string(e.code) + "(";
      for (size_t i = 0; i < e.operands.size(); ++i) s += (i ? ", " : "") + Dump(e.operands[i]);
      return s + ")";
    }
    case ScriptExpr::Kind::kNegate:
      return "-[" + Dump(e.operands[0]) + "]";
    case ScriptExpr::Kind::kSum:
    case ScriptExpr::Kind::kProduct: {
      // Written as the left-grouped pairs that the chain means.
      std::string s = Dump(e.operands[0]);
      for (size_t i = 1; i < e.operands.size(); ++i) {
        const char op = e.kind == ScriptExpr::Kind::kSum ? e.signs[i - 1] : '*';
        s = "[" + s + " " + op + " " + Dump(e.operands[i]) + "]";
      }
      return s;
    }
  }
  return "?";
}

std::string Dump(const ScriptStatement& s) {
  std::string out;
  auto args = [&s]() {
    std::string a;
    for (const ScriptExpr& e : s.args) a += " " + Dump(e);
    return a;
  };
  switch (s.kind) {
    case ScriptStatement::Kind::kAction:
      return "action " + std::to_string(s.code) + args();
    case ScriptStatement::Kind::kPrintExpression:
      return "print " + Dump(s.expr);
    case ScriptStatement::Kind::kPrintCondition:
      return "print condition " + std::to_string(s.code) + args();
    case ScriptStatement::Kind::kPrintListObject:
      return "print list " + Dump(s.name);
    case ScriptStatement::Kind::kSetListObject:
      return "list " + Dump(s.name) + " holds" + args();
    case ScriptStatement::Kind::kRepeat:
      return "repeat " + Dump(s.expr);
    case ScriptStatement::Kind::kIf:
      return "if condition " + std::to_string(s.code) + args();
    case ScriptStatement::Kind::kOnEvent:
      return "on event " + std::to_string(s.code) + args();
    case ScriptStatement::Kind::kTime:
      return "time " + Dump(s.body.at(0));
    case ScriptStatement::Kind::kPlot:
      return "plot " + Dump(s.name) + " e" + std::to_string(s.code) + args();
    case ScriptStatement::Kind::kQuit:
      return "quit";
    case ScriptStatement::Kind::kSets:
      return "sets";
    case ScriptStatement::Kind::kEval: {
      std::string vars;
      for (size_t i = 0; i < s.words.size(); ++i) vars += " " + s.words[i] + "=" + Dump(s.args[i]);
      return "eval " + Dump(s.expr) + vars;
    }
    case ScriptStatement::Kind::kSave:
    case ScriptStatement::Kind::kLoad:
      return std::string(s.kind == ScriptStatement::Kind::kSave ? "save " : "load ") +
             (s.list_object ? "list " : "") + Dump(s.name) + " file " + Dump(s.expr);
  }
  return out;
}

class ScriptLanguageTest : public ::testing::Test {
 protected:
  std::string Parse(const std::string& line) {
    ScriptStatement s;
    ScriptLanguage::LineKind kind = language_.ParseLine(line, &s);
    if (kind == ScriptLanguage::LineKind::kNothing) return "nothing";
    if (kind == ScriptLanguage::LineKind::kBlockEnd) return "end";
    return Dump(s);
  }
  std::string Error(const std::string& line) {
    ScriptStatement s;
    try {
      language_.ParseLine(line, &s);
    } catch (const ScriptError& e) {
      return e.what();
    }
    return "no error: " + Dump(s);
  }

  ScriptLanguage language_{RegistryDescription()};
};

TEST_F(ScriptLanguageTest, ReadsEachFormOfLine) {
  const struct {
    const char* line;
    const char* parsed;
  } cases[] = {
      {"", "nothing"},
      {"   # a comment", "nothing"},
      {"Trigger condition", "action 0"},
      // The argument's type picks between the two appending actions.
      {"Append element \"7\" to set \"a\"", "action 2 \"a\" \"7\""},
      {"Append element 2.5 to set \"a\"", "action 3 \"a\" 2.5f"},
      {"Append element -3 to set \"a\"", "action 3 \"a\" -3"},
      // Blanks and the case of letters are free; texts keep theirs.
      {"  append   ELEMENT \" X \"to set\"a\"  ", "action 2 \"a\" \" X \""},
      {"Get first 3-subset of \"<primes>\" and put it in \"s\"", "action 4 \"<primes>\" 3 \"s\""},
      {"Put the content of \"s\" into list \"L\" (Max Len: -1)", "action 12 \"s\" \"L\" -1"},
      {"Append element \"say \\\"hi\\\" \\\\o/\" to set \"q\"",
       "action 2 \"q\" \"say \"hi\" \\o/\""},
      // Arguments may be expressions and parenthesised arithmetic.
      {"Append element Length(\"a\") to set \"b\"", "action 3 \"b\" e0(\"a\")"},
      {"Append element (Length(\"a\") * 2) to set \"b\"", "action 3 \"b\" [e0(\"a\") * 2]"},
      {"Append element ElementAtStr$(\"a\", 0) to set \"b\"", "action 2 \"b\" e1(\"a\", 0)"},
      // Arithmetic in an argument stops where the words of the action go on.
      {"Append element Length(\"a\") * 2 - 1 to set \"a\"", "action 3 \"a\" [[e0(\"a\") * 2] - 1]"},
      {"Get first 1+1-subset of \"<p>\" and put it in \"s\"", "action 4 \"<p>\" [1 + 1] \"s\""},
      {"print Length(\"a\") - 1 == 2", "print condition 0 [e0(\"a\") - 1] 2"},
      {"action 3 \"a\" 2.5", "action 3 \"a\" 2.5f"},
      {"action 12 \"s\"   \"L\" 4", "action 12 \"s\" \"L\" 4"},
      {"action 0", "action 0"},
      {"print 4 == 4", "print condition 0 4 4"},
      {"print Length(\"a\") == 3", "print condition 0 e0(\"a\") 3"},
      {"print On trigger", "print condition 1"},
      {"print ElementAt(\"a\", Length(\"a\") - 1)", "print e2(\"a\", [e0(\"a\") - 1])"},
      {"print 1 + 2 * -3 - -(4)", "print [[1 + [2 * -3]] - -[4]]"},
      {"print (1 + 2) * 3", "print [[1 + 2] * 3]"},
      {"print asstring$( \"<p>\" , 10 )", "print e4(\"<p>\", 10)"},
      {"print \"text\"", "print \"text\""},
      {"print List object \"L\"", "print list \"L\""},
      {"List object \"L\" holds \"a\", \"b\", 3", "list \"L\" holds \"a\" \"b\" 3"},
      {"List object \"L\" holds nothing", "list \"L\" holds"},
      {"repeat 3", "repeat 3"},
      {"repeat BinomialCoefficient(5, 2) - 1", "repeat [e5(5, 2) - 1]"},
      {"on 4 == Length(\"a\")", "if condition 0 4 e0(\"a\")"},
      {"on trigger", "on event 1"},
      {"on On trigger", "on event 1"},
      {"end", "end"},
      // A bare expression is printed.
      {"Length(\"a\") + 1", "print [e0(\"a\") + 1]"},
      {"2+2", "print [2 + 2]"},
      {"QUIT", "quit"},
      {"sets", "sets"},
      // A number with a point reaches the formula as written.
      {"eval \"n*x\" n=3 x=0.1", "eval \"n*x\" n=3 x=\"0.1\""},
      {"save \"a\" to \"a.csv\"", "save \"a\" file \"a.csv\""},
      {"save List object \"L\" to \"-\"", "save list \"L\" file \"-\""},
      {"load \"in.txt\" into List object \"L\"", "load list \"L\" file \"in.txt\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.line), c.parsed) << c.line;
}

TEST_F(ScriptLanguageTest, SaysWhatWasExpected) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {"Apend element 2 to set \"a\"",
       "expected an action, an expression, print, repeat, on, end, List object or action CODE "
       "(help lists them), found \"Apend element 2 to set \"a\"\"; did you mean \"Append element "
       "<Element to add (String)> to set <Set to add to>\"?"},
      // The form meant, where another form led the reading astray.
      {"Put the content of List \"Names\" into \"names\"",
       "expected a text for \"Set Name\" after \"Put the content of\", found \"List \"Names\" "
       "into \"names\"\"; did you mean \"Put the contence of List <List Object Name (Case "
       "sensitive. And get it right!)> into <Set Name>\"?"},
      {"prnt Length(\"a\")",
       "expected an action, an expression, print, repeat, on, end, List object or action CODE "
       "(help lists them), found \"prnt Length(\"a\")\"; did you mean print EXPRESSION?"},
      {"Append element 2 to sett \"a\"",
       "expected \"set\" after \"Append element 2 to\", found \"sett \"a\"\""},
      {"Append element \"7 to set \"a\"",
       "expected \"to set\" after \"Append element \"7 to set \"\", found \"a\"\""},
      {"Append element \"7\" to set \"a",
       "expected a closing quote for the text that starts at column 27 after "
       "\"Append element \"7\" to set \"a\", found the end of the line"},
      {"Append element 2 to set 5",
       "wrong argument types for \"Append element <Element to add (Value)> to set <Set to add "
       "to>\": <Set to add to> takes a text, found a number (the same words with other types name "
       "action 2: Append element "
       "<Element to add (String)> to set <Set to add to>)"},
      {"Append element to set \"a\"",
       "expected a text for \"Element to add (String)\" or a number for \"Element to add "
       "(Value)\" after \"Append element\", found \"to set \"a\"\""},
      {"Append element 2 to set \"a\" now",
       "expected the end of the line after \"Append element 2 to set \"a\"\", found \"now\""},
      {"Append element \"a\\n\" to set \"a\"",
       "expected \\\" or \\\\ (a backslash starts one of these two escapes) after "
       "\"Append element \"a\", found \"\\n\" to set \"a\"\""},
      {"print Length(\"a\", 2)",
       "expected \")\" to end the arguments of Length( after \"print Length(\"a\"\", found "
       "\", 2)\""},
      {"print ElementAt(\"a\")",
       "expected \",\" and a number for \"Element Index\" of ElementAt( after "
       "\"print ElementAt(\"a\"\", found \")\""},
      {"print Length(3)",
       "expected a text for \"List ID\" of Length( after \"print Length(\", found \"3)\""},
      {"print Lenght(\"a\")",
       "expected an expression (Length(, ElementAtStr$(, ElementAt(, ListSum(, asString$(, "
       "BinomialCoefficient() after \"print\", found \"Lenght(\"a\")\""},
      {"print \"a\" + 1",
       "expected a number on the left of \"+\" after \"print\", found \"\"a\" + 1\""},
      {"print Length(\"a\" + 1)",
       "expected a number on the left of \"+\" after \"print Length(\", found \"\"a\" + 1)\""},
      {"print (1 + 2",
       "expected \")\" to close the \"(\" at column 7 after \"print (1 + 2\", "
       "found the end of the line"},
      {"print",
       "expected an expression, a condition or List object to print after "
       "\"print\", found the end of the line"},
      {"print 4 == \"4\"",
       "wrong argument types for \"<First number> == <Second number>\": <Second number> takes a "
       "number, "
       "found a text"},
      {"repeat \"3\"", "expected the number of times to repeat after \"repeat\", found \"\"3\"\""},
      {"on 4", "expected \"==\" after \"on 4\", found the end of the line"},
      {"end now", "expected the end of the line after \"end\", found \"now\""},
      {"action 13", "expected an action code from 0 to 12 after \"action\", found \"13\""},
      {"action 3 \"a\"",
       "expected a number for \"Element to add (Value)\" after \"action 3 \"a\"\", found the end "
       "of the line"},
      {"action 2 \"a\" 7",
       "expected a text for \"Element to add (String)\" after \"action 2 \"a\"\", found \"7\""},
      {"action 1 2",
       "expected the end of the line: action 1 takes 0 arguments after \"action 1\", found "
       "\"2\""},
      {"List object \"L\" holds \"a\" \"b\"",
       "expected \",\" and another item, or the end of the line after \"List object \"L\" "
       "holds \"a\"\", found \"\"b\"\""},
      {"List object 5 holds nothing",
       "expected the List object's name, a text after \"List object\", found \"5 holds "
       "nothing\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Error(c.line), c.error) << c.line;
}

TEST_F(ScriptLanguageTest, ACommentStartsAtTheFirstHashOutsideQuotes) {
  const struct {
    const char* line;
    const char* parsed;
  } cases[] = {
      {"print 1 # one", "print 1"},
      {"print 1# one", "print 1"},
      {"print \"# not a comment\" # but this is", "print \"# not a comment\""},
      {"print \"a \\\" # still text\" # comment", "print \"a \" # still text\""},
      {"print \"a \\\\\" # comment \"", "print \"a \\\""},
      {"end # of the block", "end"},
      {"# print 1", "nothing"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.line), c.parsed) << c.line;
  // An unclosed text takes the rest of the line, # and all.
  EXPECT_NE(Error("print \"a # b").find("closing quote"), std::string::npos);
}

TEST_F(ScriptLanguageTest, ANulByteIsRefusedWhereverItStands) {
  for (const std::string& line : {std::string("print \"a\0b\"", 11), std::string("print 1\0", 8)}) {
    EXPECT_NE(Error(line).find("a NUL byte at column"), std::string::npos);
  }
  EXPECT_EQ(Parse(std::string("print 1 # \0", 11)), "print 1");
}

TEST_F(ScriptLanguageTest, ChainsAreOneNodeAndMeanTheLeftGroupedPairs) {
  ScriptStatement s;
  language_.ParseLine("print 1 - 2 + 3 * 4 * 5 - -6", &s);
  ASSERT_EQ(s.expr.kind, ScriptExpr::Kind::kSum);
  EXPECT_EQ(s.expr.operands.size(), 4u);
  EXPECT_EQ(s.expr.signs, "-+-");
  EXPECT_EQ(Dump(s.expr), "[[[1 - 2] + [[3 * 4] * 5]] - -6]");
  std::string line = "Append element 1";
  for (int i = 0; i < 100000; ++i) line += " + 1";
  language_.ParseLine(line + " to set \"a\"", &s);
  EXPECT_EQ(s.args.at(1).operands.size(), 100001u);
}

TEST_F(ScriptLanguageTest, WarnsOfFractionsCutOffAndOfFormulasThatCannotBeRead) {
  const struct {
    const char* line;
    const char* warning;  // the start of the one warning, or "" for none
  } cases[] = {
      {"Append element 2.5 to set \"a\"",
       "2.5 is read as an integer: \"Element to add (Value)\" "
       "takes 2 (the fraction is cut off)"},
      {"action 3 \"a\" -0.5", "-0.5 is read as an integer: \"Element to add (Value)\" takes 0"},
      {"print ElementAt(\"a\", 1.5)", "1.5 is read as an integer: \"Element Index\" takes 1"},
      {"print 2.5 == 2", "2.5 is read as an integer: \"First number\" takes 2"},
      {"print 10000000000 == 2",
       "1e+10 is read as an integer: \"First number\" takes "
       "-2147483648 (it is outside the 32-bit range)"},
      {"time Get first 2.5-subset of \"a\" and put it in \"s\"", "2.5 is read as an integer"},
      {"Append element 2.0 to set \"a\"", ""},
      {"Append element 2.5 * 2 to set \"a\"", ""},
      {"print 2.5", ""},
      {"Append element \"2.5\" to set \"a\"", ""},
      {"Define list \"q\" by the formula \"x\"",
       "the formula \"x\" cannot be read, at character 1 (\"x\"): \"x\" is no variable, "
       "constant or function here (this list's variable is n); the list's elements will be empty"},
      {"Define mapped list \"m\" by the formula \"a*x\" on elements of \"b\"",
       "the formula \"a*x\" cannot be read, at character 1"},
      {"Define mapped list \"m\" by the formula \"a*b+n\" on elements of \"a\" and \"b\"", ""},
      {"Define \"f\" to be the result of applying the filter \"x >\" to the set \"a\"",
       "the formula \"x >\" cannot be read, at its end: the formula ends where a value or \")\" "
       "is still expected; no element will pass the filter"},
      {"Define \"s\" to be the subsequence of \"a\" by the formula \"2^3^n + mod(n, 0)\"", ""},
      {"Define list \"q\" by the formula Elementatstr$(\"f\", 0)", ""},  // not written out
  };
  for (const auto& c : cases) {
    ScriptStatement s;
    std::vector<std::string> warnings;
    language_.ParseLine(c.line, &s, &warnings);
    if (*c.warning == '\0') {
      EXPECT_TRUE(warnings.empty()) << c.line << ": " << warnings.front();
    } else {
      ASSERT_EQ(warnings.size(), 1u) << c.line;
      EXPECT_EQ(warnings[0].rfind(c.warning, 0), 0u) << c.line << ": " << warnings[0];
    }
  }
}

TEST_F(ScriptLanguageTest, TimePlotAndHelpAreStatements) {
  EXPECT_EQ(Parse("time print 1 + 1"), "time print [1 + 1]");
  EXPECT_EQ(Parse("plot \"a\" 2 * 5"), "plot \"a\" e1 e0(\"a\") [2 * 5]");
  EXPECT_EQ(Parse("help plot").rfind("print \"plot \"NAME\" N draws", 0), 0u);
  EXPECT_NE(Error("time repeat 2").find("one statement to time"), std::string::npos);
  EXPECT_NE(Error("time").find("one statement to time"), std::string::npos);
  EXPECT_EQ(Error("help nosuch"), "no help on \"nosuch\": help topics lists the topics");
  EXPECT_NE(Error("plot 3 3").find("the list's name"), std::string::npos);
}

TEST_F(ScriptLanguageTest, HelpHasTopicsActionsConditionsAndExpressions) {
  std::string text;
  ASSERT_TRUE(language_.Help("", &text));
  EXPECT_EQ(text, language_.HelpText());
  ASSERT_TRUE(language_.Help("topics", &text));
  for (const char* topic : {"statements", "numbers", "formulas", "time", "plot", "exit"}) {
    EXPECT_NE(text.find(std::string("\n  ") + topic + " "), std::string::npos) << topic;
    std::string page;
    EXPECT_TRUE(language_.Help(topic, &page)) << topic;
  }
  ASSERT_TRUE(language_.Help("FORMULAS", &text));
  EXPECT_NE(text.find("mod(a, b)"), std::string::npos);
  ASSERT_TRUE(language_.Help("4", &text));
  EXPECT_EQ(text.rfind("action 4: Get first <Size of subsets to find>-subset", 0), 0u);
  ASSERT_TRUE(language_.Help("append ELEMENT", &text));
  EXPECT_EQ(text,
            "action 2: Append element <Element to add (String)> to set <Set to add to>\n"
            "  argument 1: a text, \"Set to add to\"\n"
            "  argument 2: a text, \"Element to add (String)\"\n"
            "action 3: Append element <Element to add (Value)> to set <Set to add to>\n"
            "  argument 1: a text, \"Set to add to\"\n"
            "  argument 2: a number, read as an integer, \"Element to add (Value)\"\n");
  ASSERT_TRUE(language_.Help("BinomialCoefficient(", &text));
  EXPECT_EQ(text.rfind("expression BinomialCoefficient(<n>, <m>), giving a number", 0), 0u);
  ASSERT_TRUE(language_.Help("On trigger", &text));
  EXPECT_NE(text.find("raised by the object"), std::string::npos);
  EXPECT_FALSE(language_.Help("13", &text));
  EXPECT_FALSE(language_.Help("999999999999", &text));
}

TEST_F(ScriptLanguageTest, DeepNestingIsAnErrorNotACrash) {
  std::string line = "print " + std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_NE(Error(line).find("at most 200 expressions"), std::string::npos);
  EXPECT_NE(Error("print " + std::string(100000, '-') + "1").find("at most 200"),
            std::string::npos);
}

TEST_F(ScriptLanguageTest, TemplatesWithoutEveryParameterAreOnlyReachableByCode) {
  ObjectDescription d = RegistryDescription();
  d.operations[OperationKind::kAction][5].display = "Get next subset";  // %0 missing
  ScriptLanguage language(d);
  ScriptStatement s;
  EXPECT_THROW(language.ParseLine("Get next subset", &s), ScriptError);
  language.ParseLine("action 5 \"s\"", &s);
  EXPECT_EQ(s.code, 5);
}

TEST_F(ScriptLanguageTest, AWordWithAParenthesisIsNotTakenForAnUnknownExpression) {
  ObjectDescription d = RegistryDescription();
  d.operations[OperationKind::kAction][0].display = "Show %0";
  d.operations[OperationKind::kAction][0].params = {{kTypeNumber, "Value"}};
  d.operations[OperationKind::kAction][1].display = "Show Max(%0)";
  d.operations[OperationKind::kAction][1].params = {{kTypeNumber, "Value"}};
  ScriptLanguage language(d);
  ScriptStatement s;
  language.ParseLine("Show Max(3)", &s);
  EXPECT_EQ(s.code, 1);
  language.ParseLine("Show Length(\"a\")", &s);
  EXPECT_EQ(s.code, 0);
}

TEST_F(ScriptLanguageTest, CompletesKeywordsActionsAndExpressionNames) {
  using V = std::vector<std::string>;
  EXPECT_EQ(language_.Complete("App"), V({"Append element "}));
  EXPECT_EQ(language_.Complete("  pr"), V({"  print "}));
  EXPECT_EQ(language_.Complete("Put the cont"),
            V({"Put the contence of List ", "Put the content of "}));
  EXPECT_EQ(language_.Complete("print Len"), V({"print Length("}));
  EXPECT_EQ(language_.Complete("print ElementAt"), V({"print ElementAt(", "print ElementAtStr$("}));
  EXPECT_EQ(language_.Complete("on On"), V({"on On trigger"}));
  EXPECT_EQ(language_.Complete("print \"Len"), V());
  EXPECT_EQ(language_.Complete("print 3e"), V());
}

TEST_F(ScriptLanguageTest, FormsShowParameterTitles) {
  EXPECT_EQ(language_.grammar().FormOf(OperationKind::kCondition, 0),
            "<First number> == <Second number>");
  EXPECT_EQ(language_.grammar().FormOf(OperationKind::kAction, 4),
            "Get first <Size of subsets to find>-subset of <Set to find subsets of> and put it in "
            "<Destination set>");
  EXPECT_EQ(language_.grammar().FormOf(OperationKind::kExpression, 5),
            "BinomialCoefficient(<n>, <m>)");
  EXPECT_TRUE(language_.grammar().IsRaisedCondition(1));
  EXPECT_FALSE(language_.grammar().IsRaisedCondition(0));
}

}  // namespace

}  // namespace tallyra::script
