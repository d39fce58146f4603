#include "formula/PowerGrouping.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PowerGroupingTest, ChainsGroupFromTheLeft) {
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
  for (const Case& c : cases) EXPECT_EQ(GroupPowersFromLeft(c.in), c.out) << c.in;
}

TEST(PowerGroupingTest, EverythingElseIsUnchanged) {
  for (const char* text :
       {"", "n*n+1", "2^3", "-2^2", "2^-1", "a^-b^c", "a^b+c^d", "f(a^b, c^d)", "(a^b)^c",
        "a^(b^c)", "  x ^ 2  ", "2^", "^2^", "((((", "))))", "a^b^", "\"unclosed^a^b"}) {
    EXPECT_EQ(GroupPowersFromLeft(text), text) << text;
  }
  // A NUL ends what the parser reads; the rest is left alone.
  const std::string with_nul("a^b\0^c^d", 8);
  EXPECT_EQ(GroupPowersFromLeft(with_nul), with_nul);
}

TEST(PowerGroupingTest, MalformedTextStaysBalanced) {
  for (const char* text : {"a^b^c)", "(a^b^c", "a^^b^c^d", "2^3^2(", "sin (a)^b^c", ")a^b^c"}) {
    const std::string out = GroupPowersFromLeft(text);
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
