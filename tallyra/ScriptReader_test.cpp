#include "tallyra/ScriptReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tallyra/ScriptError.h"
#include "tallyra/testing/ScriptTesting.h"

namespace tallyra::script {

namespace {

class ScriptReaderTest : public ::testing::Test {
 protected:
  // Reads the lines; answers the top-level statements.
  std::vector<ScriptStatement> ReadAll(const std::string& text) {
    ScriptReader reader(language_);
    std::vector<ScriptStatement> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      ScriptStatement s;
      if (reader.Read(line, &s)) out.push_back(s);
    }
    reader.Finish();
    return out;
  }
  std::string ErrorOf(const std::string& text) {
    try {
      ReadAll(text);
    } catch (const ScriptError& e) {
      return std::to_string(e.line()) + ": " + e.what();
    }
    return "no error";
  }

  ScriptLanguage language_{RegistryDescription()};
  ScriptReader reader_{language_};
};

TEST_F(ScriptReaderTest, GathersNestedBlocksWithTheirLineNumbers) {
  std::vector<ScriptStatement> s = ReadAll(
      "# steps\r\n"
      "repeat 2\n"
      "  Append element 1 to set \"a\"\n"
      "\n"
      "  repeat 3\n"
      "    print 1\n"
      "  end\r\n"
      "end\n"
      "print 2\n");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].kind, ScriptStatement::Kind::kRepeat);
  EXPECT_EQ(s[0].line, 2);
  ASSERT_EQ(s[0].body.size(), 2u);
  EXPECT_EQ(s[0].body[0].line, 3);
  EXPECT_EQ(s[0].body[1].kind, ScriptStatement::Kind::kRepeat);
  ASSERT_EQ(s[0].body[1].body.size(), 1u);
  EXPECT_EQ(s[0].body[1].body[0].line, 6);
  EXPECT_EQ(s[1].line, 9);
}

TEST_F(ScriptReaderTest, BlockErrorsNameTheirLine) {
  EXPECT_EQ(ErrorOf("print 1\nrepeat 2\n  print 2\n"),
            "2: expected end for the repeat block that starts here, found the end of the script");
  EXPECT_EQ(ErrorOf("print 1\nend\n"),
            "2: expected a statement: this end closes no repeat or on block");
  EXPECT_EQ(ErrorOf("repeat 2\n  on trigger\n  end\nend\n"),
            "2: an on block that waits for the object's event stands outside every other block; "
            "this one is inside the repeat block of line 1");
  EXPECT_EQ(ErrorOf("print 1\n\nprint 1 +\n"),
            "3: expected a text, a number, an expression or \"(\" after \"print 1 +\", found the "
            "end of the line");
  std::string deep;
  for (int i = 0; i <= kMaxBlockDepth; ++i) deep += "repeat 1\n";
  EXPECT_EQ(ErrorOf(deep), "101: expected end: blocks nest at most 100 deep");
}

TEST_F(ScriptReaderTest, SkipsAByteOrderMarkBeforeTheFirstLineOnly) {
  ScriptStatement s;
  EXPECT_TRUE(reader_.Read("\xEF\xBB\xBFprint 1", &s));
  EXPECT_EQ(s.kind, ScriptStatement::Kind::kPrintExpression);
  EXPECT_THROW(reader_.Read("\xEF\xBB\xBFprint 1", &s), ScriptError);
}

TEST_F(ScriptReaderTest, WarningsComeWithTheirLineOnceEach) {
  std::vector<std::string> warnings;
  ScriptReader reader(language_, [&warnings](int line, const std::string& message) {
    warnings.push_back(std::to_string(line) + ": " + message);
  });
  ScriptStatement s;
  for (const char* line : {"repeat 3", "  Append element 2.5 to set \"a\"", "end",
                           "Define list \"q\" by the formula \"n*\"", "print 2.0 == 2"}) {
    reader.Read(line, &s);
  }
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0].rfind("2: 2.5 is read as an integer", 0), 0u) << warnings[0];
  EXPECT_EQ(warnings[1].rfind("4: the formula \"n*\" cannot be read, at its end", 0), 0u)
      << warnings[1];
}

TEST_F(ScriptReaderTest, ResetDropsAnOpenBlock) {
  ScriptStatement s;
  EXPECT_FALSE(reader_.Read("repeat 2", &s));
  EXPECT_TRUE(reader_.InBlock());
  reader_.Reset();
  EXPECT_FALSE(reader_.InBlock());
  EXPECT_TRUE(reader_.Read("print 1", &s));
  EXPECT_EQ(s.line, 2);
}

}  // namespace

}  // namespace tallyra::script
