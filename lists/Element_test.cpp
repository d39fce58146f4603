#include "lists/Element.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

TEST(ElementNumberTest, ReadsTheLeadingDecimalNumberOfATextAndNothingElse) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"12abc", 12},    {"abc", 0},  {" 3.5e1xyz", 35}, {"x1", 0},       {"", 0},
      {"-2.5", -2.5},   {"+7", 7},   {".5", 0.5},       {"5.", 5},       {"1e3", 1000},
      {"1e", 1},        {"1e+", 1},  {"2E-2", 0.02},    {"\t\n 42", 42}, {"-", 0},
      {".", 0},         {"0x1A", 0}, {"inf", 0},        {"infinity", 0}, {"nan", 0},
      {"-.25x", -0.25}, {"007", 7},  {"1,5", 1},        {"- 1", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ElementNumber(Element::Text(c.text)), c.expected) << '"' << c.text << '"';
  }
}

TEST(ElementNumberTest, OutOfRangeTextsReadAsInfinityOrZero) {
  EXPECT_EQ(ElementNumber(Element::Text("1e999")), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ElementNumber(Element::Text("-1e999")), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ElementNumber(Element::Text("1e-999")), 0.0);
  EXPECT_EQ(ElementNumber(Element::Text("0.0000001e-400")), 0.0);
  EXPECT_EQ(ElementNumber(Element::Text("0e999999")), 0.0);
}

TEST(ElementNumberTest, NumbersAndNoneElements) {
  EXPECT_EQ(ElementNumber(Element::Number(2.5)), 2.5);
  EXPECT_EQ(ElementNumber(Element::None()), 0.0);
  EXPECT_TRUE(std::isnan(ElementNumber(Element::Number(std::nan("")))));
}

}  // namespace
