#include "formula/FormulaRewriting.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tallyra {

namespace {

TEST(FormulaRewritingTest, ChainsGroupFromTheLeft) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a^b^c", "(a^b)^c"},
      {"a^b^c^d", "((a^b)^c)^d"},
      {" 2 ^ 3 ^ 2 ", " (2 ^ 3) ^ 2 "},
      {"1.5e-3^x^2", "(1.5e-3^x)^2"},
      {"sin(x)^2^n", "(sin(x)^2)^n"},
      {"(a+b)^(c)^max(1,2)", "((a+b)^(c))^max(1,2)"},
      {"f(a^b^c, d^e^f)", "f((a^b)^c, (d^e)^f)"},
      {"((a^b^c))", "(((a^b)^c))"},
      {"2*a^b^c+1", "2*(a^b)^c+1"},
      {"a^b^c*d^e^f", "(a^b)^c*(d^e)^f"},
      {"-a^b^c", "-(a^b)^c"},      // the sign stays outside
      {"a^-b^c^d", "a^-(b^c)^d"},  // the sign takes the rest of the chain
      {"a^b^-c^d", "(a^b)^-c^d"},
      {"a^b^c^-d", "((a^b)^c)^-d"},
      {"n xor 2^3^2", "n xor (2^3)^2"},
      {"2^3^2 or1", "(2^3)^2 or1"},
      {"2^3^2and n", "(2^3)^2and n"},
      {"2^3^2<=x^y^z", "(2^3)^2<=(x^y)^z"},
      {"x=n^2^3", "x=(n^2)^3"},
      {"\"a^b^c\"", "\"a^b^c\""},  // inside a string: not a chain
  };
  for (const Case& c : cases) EXPECT_EQ(RewriteForParser(c.in), c.out) << c.in;
}

TEST(FormulaRewritingTest, IfBecomesTheConditional) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"if(c,a,b)", "((c)?(a):(b))"},
      {" if( c , a ,b ) ", " (( c )?( a ):(b )) "},
      {"1+if(c,a,b)*2", "1+((c)?(a):(b))*2"},
      {"if(if(c,a,b),d,if(e,f,g))", "((((c)?(a):(b)))?(d):(((e)?(f):(g))))"},
      {"if(f(a,b),g(c,d,e),h())", "((f(a,b))?(g(c,d,e)):(h()))"},
      {"f(if(c,a,b), d)", "f(((c)?(a):(b)), d)"},
      {"if(\"a,b\",c,d)", "((\"a,b\")?(c):(d))"},
      // With chains of "^": inside the arguments, and the call as an operand.
      {"if(a^b^c,d,e^f^g)", "(((a^b)^c)?(d):((e^f)^g))"},
      {"if(c,a,b)^d^e", "(((c)?(a):(b))^d)^e"},
      {"d^e^if(c,a,b)", "(d^e)^((c)?(a):(b))"},
      {"-if(c,a,b)^2", "-((c)?(a):(b))^2"},
      {"a^-if(c,a,b)^d^e", "a^-(((c)?(a):(b))^d)^e"},
  };
  for (const Case& c : cases) EXPECT_EQ(RewriteForParser(c.in), c.out) << c.in;
}

TEST(FormulaRewritingTest, EverythingElseIsUnchanged) {
  for (const char* text :
       {"", "n*n+1", "2^3", "-2^2", "2^-1", "a^-b^c", "a^b+c^d", "f(a^b, c^d)", "(a^b)^c",
        "a^(b^c)", "  x ^ 2  ", "2^", "^2^", "((((", "))))", "a^b^", "\"unclosed^a^b",
        // Calls of "if" with another number of arguments, and names that are not
        // a call of "if".
        "if(a,b)", "if(a,b,c,d)", "if()", "if (a,b,c)", "iff(a,b,c)", "xif(a,b,c)", "if(a,b,c",
        "f(a,b,c)", "\"if(a,b,c)\"", "if", "n if(a,b,c"}) {
    EXPECT_EQ(RewriteForParser(text), text) << text;
  }
  // A NUL ends what the parser reads; the rest is left alone.
  const std::string with_nul("a^b\0^c^d", 8);
  EXPECT_EQ(RewriteForParser(with_nul), with_nul);
}

TEST(FormulaRewritingTest, MalformedTextStaysBalanced) {
  for (const char* text : {"a^b^c)", "(a^b^c", "a^^b^c^d", "2^3^2(", "sin (a)^b^c", ")a^b^c"}) {
    const std::string out = RewriteForParser(text);
    int opened = 0;
    int closed = 0;
    for (char c : out) {
      opened += c == '(';
      closed += c == ')';
    }
    int in_opened = 0;
    int in_closed = 0;
    for (const char* p = text; *p; ++p) {
      in_opened += *p == '(';
      in_closed += *p == ')';
    }
    EXPECT_EQ(opened - closed, in_opened - in_closed) << text;
  }
}

}  // namespace

namespace {

// Each character of the result names where it comes from: a copied character
// its own place, an added one the place where it went in, in order.
TEST(FormulaRewritingTest, OriginsLeadBackToTheTextAsWritten) {
  for (const char* in : {"n*n", "a^b^c", "if(n, 1, 2) + y", "f(a^b^c, if(x, d^e^f, 0))", "(1"}) {
    std::vector<std::size_t> origins;
    const std::string out = RewriteForParser(in, &origins);
    EXPECT_EQ(out, RewriteForParser(in)) << in;
    ASSERT_EQ(origins.size(), out.size()) << in;
    const std::string text = in;
    for (std::size_t i = 0; i < out.size(); ++i) {
      ASSERT_LE(origins[i], text.size()) << in;
      if (i > 0) {
        EXPECT_LE(origins[i - 1], origins[i]) << in;
      }
    }
    // The last character written is the last one of the text or one added after it.
    EXPECT_EQ(origins.back() + (text.back() == out.back() ? 1 : 0), text.size()) << in;
  }
  std::vector<std::size_t> origins;
  const std::string out = RewriteForParser("2^3^2 + y", &origins);
  ASSERT_EQ(out, "(2^3)^2 + y");
  EXPECT_EQ(origins[out.find('y')], 8u);
}

}  // namespace

}  // namespace tallyra
