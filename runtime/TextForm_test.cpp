#include "runtime/TextForm.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "lists/SearchBudget.h"

namespace {

// An unbounded list of the numbers 0, 1, 2, ... that counts its reads.
class Counting final : public List {
 public:
  int32_t Length() override { return length_; }
  Element ElementAt(uint32_t index) override {
    ++reads;
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }

  explicit Counting(int32_t length) : length_(length) {}
  uint64_t reads = 0;

 private:
  int32_t length_;
};

std::shared_ptr<ConcreteList> Make(std::initializer_list<Element> elements) {
  auto list = std::make_shared<ConcreteList>();
  for (const Element& e : elements) list->AppendElement(e);
  return list;
}

TEST(ElementTextTest, NumbersInGeneralNotation) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {2, "2"},
      {2.5, "2.5"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333"},
      {100000, "100000"},
      {999999.4, "999999"},
      {999999.5, "1e+006"},
      {1234567, "1.23457e+006"},
      {1e6, "1e+006"},
      {0.0001, "0.0001"},
      {-0.00001, "-1e-005"},
      {1e100, "1e+100"},
      {-2.5e-300, "-2.5e-300"},
      {0.0, "0"},
      {-0.0, "-0"},
      {4294967291.0, "4.29497e+009"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), "nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(ElementText(Element::Number(c.value)), c.text) << c.value;
}

TEST(ElementTextTest, TextsAndNone) {
  EXPECT_EQ(ElementText(Element::Text(" a b ")), " a b ");
  EXPECT_EQ(ElementText(Element::Text("")), "");
  EXPECT_EQ(ElementText(Element::None()), "");
}

TEST(SetTextTest, CutAtTheMaximum) {
  auto three = Make({Element::Number(1), Element::Number(2), Element::Number(3)});
  EXPECT_EQ(SetText(*three, 3), "[1, 2, 3]");
  EXPECT_EQ(SetText(*three, 10), "[1, 2, 3]");
  EXPECT_EQ(SetText(*three, 2), "[1, 2, ... ]");
  EXPECT_EQ(SetText(*three, 0), "[, ... ]");
  EXPECT_EQ(SetText(*three, -1), "[1, 2, 3]");
  auto empty = Make({});
  EXPECT_EQ(SetText(*empty, 0), "[]");
  EXPECT_EQ(SetText(*empty, -5), "[]");
  auto mixed = Make({Element::Text("a"), Element::Number(2.5), Element::None()});
  EXPECT_EQ(SetText(*mixed, 10), "[a, 2.5, ]");
}

TEST(SetTextTest, UnboundedListsReadOnlyTheShownElements) {
  Counting numbers(-1);
  EXPECT_EQ(SetText(numbers, 4), "[0, 1, 2, 3, ... ]");
  EXPECT_EQ(numbers.reads, 4u);
}

TEST(SetTextTest, ANegativeMaximumOnAnUnboundedListStopsAtTheByteBound) {
  Counting numbers(-1);
  const std::string text = SetText(numbers, -1);
  ASSERT_GT(text.size(), kMaxSetTextBytes - 16);
  EXPECT_LE(text.size(), kMaxSetTextBytes + std::string(", ... ]").size());
  EXPECT_EQ(text.substr(0, 7), "[0, 1, ");
  EXPECT_EQ(text.substr(text.size() - 7), ", ... ]");
  // Whole elements only: the last one shown is the one before the first not shown.
  const std::size_t lastStart = text.rfind(", ", text.size() - 8) + 2;
  const std::string last = text.substr(lastStart, text.size() - 7 - lastStart);
  EXPECT_EQ(ElementText(Element::Number(static_cast<double>(numbers.reads - 2))), last);
}

TEST(SetTextTest, AnElementLongerThanTheBoundIsNotShown) {
  auto list = Make({Element::Text(std::string(kMaxSetTextBytes, 'x')), Element::Number(1)});
  EXPECT_EQ(SetText(*list, 5), "[, ... ]");
}

TEST(SetTextTest, TheTextIsCutWhereTheCallsBudgetRanOut) {
  auto subset = std::make_shared<KSubsetList>(10, std::make_shared<Counting>(-1));
  SearchBudget::Scope call(3);
  EXPECT_EQ(SetText(*subset, -1), "[0, 1, 2, ... ]");
}

}  // namespace
