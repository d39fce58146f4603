#include "tallyra/SessionCompleter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tallyra/ScriptReader.h"
#include "tallyra/testing/ScriptTesting.h"

namespace tallyra::script {

namespace {

using Lines = std::vector<std::string>;

class SessionCompleterTest : public ::testing::Test {
 protected:
  // Reads the lines as the session does and remembers each statement.
  void Type(const std::string& text) {
    ScriptReader reader(language_);
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      ScriptStatement s;
      if (reader.Read(text.substr(start, end - start), &s)) completer_.Remember(s);
      start = end + 1;
    }
  }

  ScriptLanguage language_{RegistryDescription()};
  SessionCompleter completer_{language_};
};

TEST_F(SessionCompleterTest, GoesOnWithTheWordsOfAnActionAfterAnArgument) {
  struct Case {
    const char* typed;
    Lines expected;
  };
  const Case cases[] = {
      {"Append element 2", {"Append element 2 to set "}},
      {"append element 2 ", {"append element 2 to set "}},
      {"Append element Length(\"a\") * 2 to s", {"Append element Length(\"a\") * 2 to set "}},
      {"Get first 1+1-s", {"Get first 1+1-subset of "}},
      {"Get first 2-subset of \"a\" and", {"Get first 2-subset of \"a\" and put it in "}},
      {"Define \"x\" ",
       {"Define \"x\" to be the result of applying the filter ",
        "Define \"x\" to be the subsequence of "}},
      {"Define \"x\" to be the",
       {"Define \"x\" to be the result of applying the filter ",
        "Define \"x\" to be the subsequence of "}},
      {"Put the content of \"a\" into list \"L\" (Max Len: 5",
       {"Put the content of \"a\" into list \"L\" (Max Len: 5)"}},
      // Nothing after a whole line, a word that does not match, or a name being typed.
      {"Get next subset in \"s\"", {}},
      {"Append element 2 into", {}},
      {"Append element Len", {"Append element Length("}},
  };
  for (const Case& c : cases) EXPECT_EQ(completer_.Complete(c.typed), c.expected) << c.typed;
  // A line too long to follow: nothing rather than a wait.
  std::string long_line = "Get first ";
  while (long_line.size() <= kMaxFormCompletionLine) long_line += "(1)-subset of ";
  EXPECT_EQ(completer_.Complete(long_line), Lines());
}

TEST_F(SessionCompleterTest, OffersTheSetNamesThatTheSessionNamed) {
  Type(
      "Append element 1 to set \"alpha\"\n"
      "repeat 2\n"
      "  Get first 1-subset of \"alpha\" and put it in \"al\\\"pair\"\n"
      "end\n"
      "Define \"odd\" to be the subsequence of \"<p>\" by the formula \"2*n+1\"\n"
      "print Length(\"beta\")\n"
      "List object \"Names\" holds \"item\"\n");
  // Formulas, elements and the host's List objects are not set names.
  EXPECT_EQ(completer_.NamesForTesting(),
            std::set<std::string>({"<p>", "al\"pair", "alpha", "beta", "odd"}));
  EXPECT_EQ(completer_.Complete("print Length(\"al"),
            Lines({"print Length(\"al\\\"pair\"", "print Length(\"alpha\""}));
  EXPECT_EQ(completer_.Complete("Get next subset in \"o"), Lines({"Get next subset in \"odd\""}));
  EXPECT_EQ(completer_.Complete("Get next subset in \"z"), Lines());
}

TEST_F(SessionCompleterTest, OffersWhatMayFollowPrintAndOn) {
  EXPECT_EQ(completer_.Complete("print "),
            Lines({"print BinomialCoefficient(", "print ElementAt(", "print ElementAtStr$(",
                   "print Length(", "print List object ", "print ListSum(", "print On trigger",
                   "print asString$("}));
  EXPECT_EQ(completer_.Complete("print Li"), Lines({"print List object ", "print ListSum("}));
  EXPECT_EQ(completer_.Complete("on On"), Lines({"on On trigger"}));
  EXPECT_EQ(completer_.Complete("qu"), Lines({"quit"}));
}

}  // namespace

}  // namespace tallyra::script
