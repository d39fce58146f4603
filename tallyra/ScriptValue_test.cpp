#include "tallyra/ScriptValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tallyra::script {

namespace {

TEST(ScriptValueTest, FloatsPrintAsTheShortestDecimalThatReadsBack) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {2.0f, "2"},     {0.1f, "0.1"}, {-0.0005f, "-0.0005"}, {100000.0f, "100000"},
      {1e6f, "1e+06"}, {inf, "inf"},  {-inf, "-inf"},        {1.0f / 3, "0.33333334"},
      {-0.0f, "-0"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.value), c.text) << c.text;
  EXPECT_EQ(FormatFloat(std::nanf("")), "nan");
  EXPECT_EQ(FormatFloat(-std::nanf("")), "nan");
}

TEST(ScriptValueTest, ValuesPrintByKind) {
  EXPECT_EQ(FormatValue(ScriptValue::Integer(-1)), "-1");
  EXPECT_EQ(FormatValue(ScriptValue::Float(2.5f)), "2.5");
  EXPECT_EQ(FormatValue(ScriptValue::Text(" a\nb")), " a\nb");
}

TEST(ScriptValueTest, NumberLiterals) {
  const struct {
    const char* text;
    bool ok;
    ScriptValue::Kind kind;
    double value;
  } cases[] = {
      {"0", true, ScriptValue::Kind::kInteger, 0},
      {"-12", true, ScriptValue::Kind::kInteger, -12},
      {"2147483647", true, ScriptValue::Kind::kInteger, 2147483647.0},
      {"-2147483648", true, ScriptValue::Kind::kInteger, -2147483648.0},
      {"2147483648", true, ScriptValue::Kind::kFloat, 2147483648.0},
      {"2.5", true, ScriptValue::Kind::kFloat, 2.5},
      {"-0.5", true, ScriptValue::Kind::kFloat, -0.5},
      {"1e5", false, ScriptValue::Kind::kInteger, 0},
      {"2.", false, ScriptValue::Kind::kInteger, 0},
      {".5", false, ScriptValue::Kind::kInteger, 0},
      {"-", false, ScriptValue::Kind::kInteger, 0},
      {"", false, ScriptValue::Kind::kInteger, 0},
      {"0x10", false, ScriptValue::Kind::kInteger, 0},
  };
  for (const auto& c : cases) {
    ScriptValue v = ScriptValue::Text("untouched");
    EXPECT_EQ(ParseNumberLiteral(c.text, &v), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(v.text, "untouched") << c.text;
      continue;
    }
    EXPECT_EQ(v.kind, c.kind) << c.text;
    double got = v.kind == ScriptValue::Kind::kInteger ? static_cast<double>(v.integer)
                                                       : static_cast<double>(v.real);
    EXPECT_EQ(got, c.value) << c.text;
  }
  // Too many digits for a float: the nearest float.
  ScriptValue big;
  ASSERT_TRUE(ParseNumberLiteral(std::string(60, '9'), &big));
  EXPECT_EQ(big.real, std::numeric_limits<float>::infinity());
  ScriptValue tiny;
  ASSERT_TRUE(ParseNumberLiteral("-0." + std::string(60, '0') + "1", &tiny));
  EXPECT_EQ(tiny.real, 0.0f);
  EXPECT_TRUE(std::signbit(tiny.real));
}

TEST(ScriptValueTest, FloatsHandedOverAsIntegersAreTruncatedTowardZero) {
  EXPECT_EQ(ValueAsInteger(ScriptValue::Float(3.99f)), 3);
  EXPECT_EQ(ValueAsInteger(ScriptValue::Float(-2.7f)), -2);
  EXPECT_EQ(ValueAsInteger(ScriptValue::Float(-2147483648.0f)), -2147483647 - 1);
  EXPECT_EQ(ValueAsInteger(ScriptValue::Float(2147483648.0f)), -2147483647 - 1);
  EXPECT_EQ(ValueAsInteger(ScriptValue::Float(std::nanf(""))), -2147483647 - 1);
  EXPECT_EQ(ValueAsFloat(ScriptValue::Integer(16777217)), 16777216.0f);
}

}  // namespace

}  // namespace tallyra::script
