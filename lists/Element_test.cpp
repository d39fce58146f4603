#include "lists/Element.h"

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "lists/testing/FailingAllocator.h"

namespace tallyra {

namespace {

using failing_allocator::LiveBlocks;

TEST(ElementTest, EachKindKeepsItsValue) {
  const Element none = Element::None();
  EXPECT_EQ(none.kind(), kElementNone);
  EXPECT_EQ(none.number(), 0.0);
  EXPECT_EQ(none.text(), "");
  EXPECT_NE(none.text().data(), nullptr);  // as a std::string's: memcpy may be given it

  for (double value : {0.0, -0.0, 2.5, -1e308, std::numeric_limits<double>::denorm_min(),
                       std::numeric_limits<double>::infinity()}) {
    const Element number = Element::Number(value);
    EXPECT_EQ(number.kind(), kElementNumber);
    EXPECT_EQ(number.number(), value);
    EXPECT_EQ(std::signbit(number.number()), std::signbit(value));
    EXPECT_EQ(number.text(), "");
  }
  EXPECT_TRUE(std::isnan(Element::Number(std::nan("")).number()));

  const std::string bytes("with\0a NUL", 10);
  for (const std::string& value : {std::string(), std::string("7"), bytes}) {
    const Element text = Element::Text(value);
    EXPECT_EQ(text.kind(), kElementText);
    EXPECT_EQ(text.text(), value);
    EXPECT_EQ(text.number(), 0.0);  // a text's number is ElementNumber's to read
  }
}

TEST(ElementTest, CopiesShareTheTextAndTheLastReleasesIt) {
  const int64_t before = LiveBlocks();
  {
    Element first = Element::Text("a text that is shared");
    const char* bytes = first.text().data();
    EXPECT_EQ(LiveBlocks(), before + 1);

    Element copy(first);
    Element assigned = Element::Number(1);
    assigned = copy;
    Element other = Element::Text("another");
    other = first;  // other's own text goes
    EXPECT_EQ(LiveBlocks(), before + 1);
    for (const Element* e : {&copy, &assigned, &other}) EXPECT_EQ(e->text().data(), bytes);

    Element moved(std::move(copy));
    EXPECT_EQ(moved.text().data(), bytes);
    EXPECT_EQ(copy.kind(), kElementNone);  // NOLINT(bugprone-use-after-move): moved from is None

    first = Element::None();
    assigned = Element::Number(2);
    other = std::move(moved);
    EXPECT_EQ(LiveBlocks(), before + 1);  // other still holds it
    EXPECT_EQ(other.text(), "a text that is shared");
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(ElementTest, SelfAssignmentKeepsTheElement) {
  const int64_t before = LiveBlocks();
  {
    Element text = Element::Text("self");
    Element& same = text;
    text = same;
    EXPECT_EQ(text.text(), "self");
    text = std::move(same);
    EXPECT_EQ(text.text(), "self");
    EXPECT_EQ(LiveBlocks(), before + 1);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(ElementTest, TheEmptyTextNeedsNoMemory) {
  const int64_t before = LiveBlocks();
  const Element empty = Element::Text("");
  const Element copy = empty;
  EXPECT_EQ(LiveBlocks(), before);
  EXPECT_EQ(copy.kind(), kElementText);
  EXPECT_EQ(copy.text(), "");
  EXPECT_NE(copy.text().data(), nullptr);
}

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

}  // namespace tallyra
