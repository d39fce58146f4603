#include "runtime/TextForm.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "lists/WorkBudget.h"
#include "lists/testing/UnlimitedBudget.h"

namespace {

// An unbounded list of the numbers 0, 1, 2, ... that counts its reads.
class Counting final : public List {
 public:
  int32_t Length() override { return length_; }
  Element ElementAt(uint32_t index, WorkBudget& budget) override {
    ++reads;
    if (!budget.Charge(1)) return Element::None();
    return Element::Number(index);
  }
  std::shared_ptr<ConcreteList> ToConcrete(WorkBudget&) override { return nullptr; }

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

// The plain definition of a finite number's text: the library's general
// conversion with 6 significant digits, the exponent widened to three digits.
std::string ReferenceNumberText(double value) {
  char digits[40];
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
  std::string text(digits, written.ptr);
  const std::size_t e = text.find('e');
  if (e != std::string::npos && text.size() - (e + 2) < 3) {
    text.insert(e + 2, 3 - (text.size() - (e + 2)), '0');
  }
  return text;
}

// Numbers' texts are made by a quicker route where it gives the same text; it
// must agree with the definition everywhere, and most of all where rounding to
// 6 digits is close: next to halfway points and to powers of ten.
TEST(ElementTextTest, NumbersAgreeWithTheGeneralConversion) {
  std::vector<double> values;
  for (int32_t i = -1100000; i <= 1100000; i += 7) values.push_back(i);
  for (double v : {0.0, -0.0, 999999.0, 1e6, -1e6, 4294967295.0, 2147483648.0}) values.push_back(v);
  for (int e = -12; e <= 17; ++e) {
    const double power = std::pow(10.0, e);
    for (double m : {1.0, 9.999995, 9.99999, 9.999994999, 1.000005, 1.234565, 5.0}) {
      const double v = m * power;
      values.push_back(v);
      values.push_back(std::nextafter(v, 0.0));
      values.push_back(std::nextafter(v, 1e300));
    }
  }
  // Halfway points of the sixth digit, as near as doubles come to them.
  std::mt19937_64 rng(2024);
  std::uniform_int_distribution<int> sixDigits(100000, 999999), exponents(-10, 16);
  for (int i = 0; i < 20000; ++i) {
    const double v = (sixDigits(rng) + 0.5) * std::pow(10.0, exponents(rng) - 5);
    values.push_back(v);
    values.push_back(std::nextafter(v, 0.0));
    values.push_back(std::nextafter(v, 1e300));
  }
  // Large integers, and those next to a halfway point of their sixth digit.
  std::uniform_int_distribution<uint32_t> anyInteger(1000000, 4294967295u);
  for (int i = 0; i < 100000; ++i) values.push_back(anyInteger(rng));
  for (uint32_t unit : {10u, 100u, 1000u, 10000u}) {
    for (int i = 0; i < 5000; ++i) {
      const uint64_t tie = uint64_t{static_cast<uint32_t>(sixDigits(rng))} * unit + unit / 2;
      for (int64_t step : {-1, 0, 1}) {
        const int64_t v = static_cast<int64_t>(tie) + step;
        if (v <= 4294967295) values.push_back(static_cast<double>(i % 2 == 0 ? v : -v));
      }
    }
  }
  // Every magnitude: numbers of 1 to 9 decimals, and random bit patterns.
  std::uniform_real_distribution<double> logMagnitude(-6, 17);
  for (int i = 0; i < 200000; ++i) {
    const double v = std::pow(10.0, logMagnitude(rng));
    values.push_back(i % 2 == 0 ? v : -v);
    values.push_back(std::round(v * 1000) / 1000);
  }
  for (int i = 0; i < 100000; ++i) {
    const uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
  }
  int mismatches = 0;
  for (double v : values) {
    const std::string text = ElementText(Element::Number(v));
    if (text != ReferenceNumberText(v) && ++mismatches <= 10) {
      ADD_FAILURE() << "value " << std::hexfloat << v << ": " << text << " against "
                    << ReferenceNumberText(v);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ElementTextTest, TextsAndNone) {
  EXPECT_EQ(ElementText(Element::Text(" a b ")), " a b ");
  EXPECT_EQ(ElementText(Element::Text("")), "");
  EXPECT_EQ(ElementText(Element::None()), "");
}

TEST(SetTextTest, CutAtTheMaximum) {
  auto three = Make({Element::Number(1), Element::Number(2), Element::Number(3)});
  EXPECT_EQ(SetText(*three, 3, UnlimitedBudget()), "[1, 2, 3]");
  EXPECT_EQ(SetText(*three, 10, UnlimitedBudget()), "[1, 2, 3]");
  EXPECT_EQ(SetText(*three, 2, UnlimitedBudget()), "[1, 2, ... ]");
  EXPECT_EQ(SetText(*three, 0, UnlimitedBudget()), "[, ... ]");
  EXPECT_EQ(SetText(*three, -1, UnlimitedBudget()), "[1, 2, 3]");
  auto empty = Make({});
  EXPECT_EQ(SetText(*empty, 0, UnlimitedBudget()), "[]");
  EXPECT_EQ(SetText(*empty, -5, UnlimitedBudget()), "[]");
  auto mixed = Make({Element::Text("a"), Element::Number(2.5), Element::None()});
  EXPECT_EQ(SetText(*mixed, 10, UnlimitedBudget()), "[a, 2.5, ]");
}

TEST(SetTextTest, UnboundedListsReadOnlyTheShownElements) {
  Counting numbers(-1);
  EXPECT_EQ(SetText(numbers, 4, UnlimitedBudget()), "[0, 1, 2, 3, ... ]");
  EXPECT_EQ(numbers.reads, 4u);
}

TEST(SetTextTest, ANegativeMaximumOnAnUnboundedListStopsAtTheByteBound) {
  Counting numbers(-1);
  const std::string text = SetText(numbers, -1, UnlimitedBudget());
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
  EXPECT_EQ(SetText(*list, 5, UnlimitedBudget()), "[, ... ]");
}

TEST(SetTextTest, TheTextIsCutWhereTheCallsBudgetRanOut) {
  auto subset = std::make_shared<KSubsetList>(10, std::make_shared<Counting>(-1));
  WorkBudget probe(UINT64_MAX);
  EXPECT_EQ(SetText(*subset, -1, probe), "[0, 1, 2, 3, 4, 5, 6, 7, 8, 9]");
  // Less than the whole text costs: the elements read in full, then the mark.
  WorkBudget call((UINT64_MAX - probe.remaining()) * 3 / 10);
  EXPECT_EQ(SetText(*subset, -1, call), "[0, 1, 2, ... ]");
  EXPECT_TRUE(call.Spent());
}

}  // namespace
