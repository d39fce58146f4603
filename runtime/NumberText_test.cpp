#include "runtime/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tallyra {

namespace {

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

// Exact halfway points of the sixth digit are rounded away from zero, as the
// host platform's C run-time library does (the C++ library rounds them to even).
TEST(ElementTextTest, HalfwayPointsAreRoundedAwayFromZero) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {1234565, "1.23457e+006"},
      {2500005, "2.50001e+006"},
      {12345650, "1.23457e+007"},
      {123456.5, "123457"},
      {12345.25, "12345.3"},
      {0.0009765625, "0.000976563"},
      {-1234565, "-1.23457e+006"},
      {-0.0009765625, "-0.000976563"},
      {1000005, "1.00001e+006"},
      {9999995, "1e+007"},
      {4294967250.0, "4.29497e+009"},
      {1.234565e20, "1.23457e+020"},  // 1234565 x 10^14: the largest exponent of a halfway point
      {1234565000000.0, "1.23457e+012"},
      {0.5, "0.5"},  // exact with fewer digits: no rounding
      {1234575, "1.23458e+006"},
      {1234566, "1.23457e+006"},
      {1234564, "1.23456e+006"},
  };
  for (const auto& c : cases) EXPECT_EQ(ElementText(Element::Number(c.value)), c.text) << c.value;
}

// The exact decimal digits of a finite, non-zero magnitude, without leading
// zeros, and the decimal exponent of the first: 0.0009765625 gives "9765625"
// and -4. Every double has a finite decimal expansion of at most 767
// significant digits.
std::string ExactDigits(double magnitude, int* exponent) {
  static char buffer[1024];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 800);
  const std::string text(buffer, written.ptr);
  const std::size_t e = text.find('e');
  *exponent = std::stoi(text.substr(e + 1));
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  digits.erase(digits.find_last_not_of('0') + 1);
  return digits;
}

// A finite number's text, worked out on its own from the exact decimal
// digits: rounded to 6 significant digits, a halfway point away from zero,
// and written by the C++ library's general conversion (which has nothing left
// to round), with the exponent widened to three digits.
std::string ReferenceNumberText(double value) {
  char digits[40];
  double rounded = value;
  if (value != 0) {
    int exponent;
    const std::string exact = ExactDigits(std::fabs(value), &exponent);
    if (exact.size() > 6) {
      // The first 6 digits, plus one in the last place when the rest is half
      // a unit or more.
      uint64_t six = std::stoull(exact.substr(0, 6));
      if (exact[6] >= '5') ++six;
      const std::string decimal =
          (value < 0 ? "-" : "") + std::to_string(six) + "e" + std::to_string(exponent - 5);
      std::from_chars(decimal.data(), decimal.data() + decimal.size(), rounded);
    }
  }
  const auto written =
      std::to_chars(digits, digits + sizeof digits, rounded, std::chars_format::general, 6);
  std::string text(digits, written.ptr);
  const std::size_t e = text.find('e');
  if (e != std::string::npos && text.size() - (e + 2) < 3) {
    text.insert(e + 2, 3 - (text.size() - (e + 2)), '0');
  }
  return text;
}

// Numbers' texts are made by a quicker route where it gives the same text; it
// must agree with the definition everywhere, and most of all where rounding to
// 6 digits is close: on and next to halfway points and powers of ten.
TEST(ElementTextTest, NumbersAgreeWithTheExactRounding) {
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
  // Where one way of writing a number gives way to another, a few steps on
  // either side, of both signs: the last integer below a million and the
  // rounding up to one, the smallest magnitudes of the fixed form, the end of
  // 32-bit integers, of exact integers (2^53) and of the exponents that hold
  // halfway points, and the subnormals.
  for (double edge : {999999.5, 1e6, 1e-4, 1e-5, 4294967296.0, 9007199254740992.0, 1e15, 1e16, 1e17,
                      1e18, 1e19, 1e20, 1e21, 1.234565e20, 1.234565e21, 0x1p-1022, 0x1p-1074,
                      0x1.8p-1060, std::numeric_limits<double>::max()}) {
    double below = edge;
    double above = edge;
    for (int step = 0; step < 4; ++step) {
      for (double v : {below, above}) {
        if (!std::isfinite(v)) continue;  // past the largest double
        values.push_back(v);
        values.push_back(-v);
      }
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, HUGE_VAL);
    }
  }
  // Halfway points of the sixth digit, as near as doubles come to them.
  std::mt19937_64 rng(2024);
  std::uniform_int_distribution<int> six_digits(100000, 999999), exponents(-10, 16);
  for (int i = 0; i < 20000; ++i) {
    const double v = (six_digits(rng) + 0.5) * std::pow(10.0, exponents(rng) - 5);
    values.push_back(v);
    values.push_back(std::nextafter(v, 0.0));
    values.push_back(std::nextafter(v, 1e300));
  }
  // Exact halfway points m x 10^k (m of 7 digits ending in 5) of every
  // exponent that has them, made exactly as (m x 5^k) x 2^k, or as
  // (m / 5^-k) x 2^k for the m that 5^-k divides, and their neighbours.
  std::uniform_int_distribution<uint64_t> halfway_digits(100000, 999999);
  for (int k = -10; k <= 14; ++k) {
    uint64_t five = 1;
    for (int i = 0; i < std::abs(k); ++i) five *= 5;
    for (int i = 0; i < 2000; ++i) {
      const uint64_t m = halfway_digits(rng) * 10 + 5;
      double v;
      if (k >= 0) {
        if (m * five >= (uint64_t{1} << 53)) continue;
        v = std::ldexp(static_cast<double>(m * five), k);
      } else {
        if (m % five != 0) continue;
        v = std::ldexp(static_cast<double>(m / five), k);
      }
      for (double w : {v, -v}) {
        values.push_back(w);
        values.push_back(std::nextafter(w, 0.0));
        values.push_back(std::nextafter(w, 2 * w));
      }
    }
  }
  // Large integers, and those next to a halfway point of their sixth digit.
  std::uniform_int_distribution<uint32_t> any_integer(1000000, 4294967295u);
  for (int i = 0; i < 100000; ++i) values.push_back(any_integer(rng));
  for (uint32_t unit : {10u, 100u, 1000u, 10000u}) {
    for (int i = 0; i < 5000; ++i) {
      const uint64_t tie = uint64_t{static_cast<uint32_t>(six_digits(rng))} * unit + unit / 2;
      for (int64_t step : {-1, 0, 1}) {
        const int64_t v = static_cast<int64_t>(tie) + step;
        if (v <= 4294967295) values.push_back(static_cast<double>(i % 2 == 0 ? v : -v));
      }
    }
  }
  // Every magnitude: numbers of 1 to 9 decimals, and random bit patterns.
  std::uniform_real_distribution<double> log_magnitude(-6, 17);
  for (int i = 0; i < 200000; ++i) {
    const double v = std::pow(10.0, log_magnitude(rng));
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

// The integers that lists hold most are written by a path of their own: every
// one from -999,999 to 999,999 (and -0) as the library writes it.
TEST(ElementTextTest, EveryIntegerBelowAMillionAsTheLibraryWritesIt) {
  char digits[16];
  int mismatches = 0;
  for (uint32_t i = 0; i < 1000000; ++i) {
    const std::string library(digits, std::to_chars(digits, digits + sizeof digits, i).ptr);
    const double value = i;
    for (const auto& [v, expected] :
         {std::pair{value, library}, std::pair{-value, "-" + library}}) {
      const std::string text = ElementText(Element::Number(v));
      if (text != expected && ++mismatches <= 10) ADD_FAILURE() << v << ": " << text;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ElementTextTest, TextsAndNone) {
  EXPECT_EQ(ElementText(Element::Text(" a b ")), " a b ");
  EXPECT_EQ(ElementText(Element::Text("")), "");
  EXPECT_EQ(ElementText(Element::None()), "");
}

}  // namespace

}  // namespace tallyra
