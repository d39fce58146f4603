// A number's text against the one that the platform's own C run-time library
// writes: msvcrt.dll's _snprintf with "%g", loaded here at run time (the
// program's own printf may be another's). They must agree for every finite
// double; the infinities and NaN, which msvcrt writes as "1.#INF" and the
// like, are written "inf", "-inf" and "nan".
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "lists/Element.h"
#include "runtime/NumberText.h"

namespace tallyra {

namespace {

using SnprintfFunction = int(__cdecl*)(char*, std::size_t, const char*, ...);

// The platform's text of value, with the infinities and NaN mapped.
std::string PlatformText(SnprintfFunction print, double value) {
  char text[64];
  const int length = print(text, sizeof text, "%g", value);
  if (length < 0 || length >= static_cast<int>(sizeof text)) return "<failed>";
  const std::string written(text, static_cast<std::size_t>(length));
  if (std::isnan(value) || std::isinf(value)) {
    // "1.#INF", "-1.#INF", "1.#QNAN", "-1.#IND" and the like.
    if (written.find("#") == std::string::npos) return "<unmapped " + written + ">";
    if (std::isnan(value)) return "nan";
    return value < 0 ? "-inf" : "inf";
  }
  return written;
}

double Bits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The values compared: every number halfway between two of 6 significant
// digits (m x 10^k, m of 7 digits ending in 5) that a double holds exactly,
// sampled for each exponent k that has them; the powers of ten and the
// numbers that round up to them; the edges of the fixed and exponent forms;
// random doubles of every magnitude and random bit patterns. Each with its
// neighbours one unit in the last place away, and both signs.
std::vector<double> Values() {
  std::vector<double> values;
  values.reserve(2400000);
  auto add = [&values](double v) {
    for (double w : {v, -v}) {
      values.push_back(w);
      values.push_back(std::nextafter(w, 0.0));
      values.push_back(std::nextafter(w, 2 * w));
    }
  };
  std::mt19937_64 rng(20261210);

  // Halfway points: (m x 5^k) x 2^k for k >= 0 with m x 5^k below 2^53; and
  // for k < 0, q x 2^k with q odd and m = q x 5^-k of 7 digits.
  constexpr uint64_t kLimit = uint64_t{1} << 53;
  for (int k = -10; k <= 14; ++k) {
    uint64_t five = 1;
    for (int i = 0; i < std::abs(k); ++i) five *= 5;
    if (k >= 0) {
      const uint64_t highest = std::min<uint64_t>(999999, ((kLimit - 1) / five - 5) / 10);
      std::uniform_int_distribution<uint64_t> tens(100000, highest);
      for (int i = 0; i < 12000; ++i) {
        add(std::ldexp(static_cast<double>((tens(rng) * 10 + 5) * five), k));
      }
    } else {
      // The odd q with 10^6 <= q x 5^-k < 10^7.
      const uint64_t lowest = (1000000 + five - 1) / five, highest = (10000000 - 1) / five;
      std::uniform_int_distribution<uint64_t> quotients(lowest, highest);
      const int count = static_cast<int>(std::min<uint64_t>(12000, highest - lowest + 1));
      for (int i = 0; i < count; ++i) {
        const uint64_t q = quotients(rng) | 1;
        if (q * five < 10000000) add(std::ldexp(static_cast<double>(q), k));
      }
    }
  }
  // The integers from 10^6 to 10^7 that end in 5, every one of them, halfway
  // points all.
  for (uint32_t m = 1000005; m < 10000000; m += 10) values.push_back(m);

  // Powers of ten, the numbers that round up to them, and the edges between
  // the fixed and the exponent forms.
  for (int e = -324; e <= 308; ++e) {
    const double power = std::pow(10.0, e);
    for (double factor : {1.0, 9.999995, 9.9999949999, 9.99999, 1.000005, 0.99999949999}) {
      const double v = factor * power;
      if (std::isfinite(v)) add(v);
    }
  }
  for (double v : {1e-4, 1e-5, 99999.95, 999999.5, 999999.4999, 1e6, 0.00009999995,
                   std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                   std::numeric_limits<double>::denorm_min(), 0.0}) {
    add(v);
  }

  // Random doubles of every magnitude, as they come and rounded to a few
  // decimals, and random bit patterns.
  std::uniform_real_distribution<double> logMagnitude(-310, 308);
  for (int i = 0; i < 150000; ++i) {
    const double v = std::pow(10.0, logMagnitude(rng));
    values.push_back(v);
    values.push_back(-std::round(v * 1000) / 1000);
  }
  for (int i = 0; i < 300000; ++i) values.push_back(Bits(rng()));

  for (double v :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()})
    values.push_back(v);
  return values;
}

TEST(PlatformNumberTextTest, NumbersAreWrittenAsThePlatformsRuntimeWritesThem) {
  const HMODULE msvcrt = LoadLibraryA("msvcrt.dll");
  ASSERT_NE(msvcrt, nullptr);
  const auto print = reinterpret_cast<SnprintfFunction>(
      reinterpret_cast<void*>(GetProcAddress(msvcrt, "_snprintf")));
  ASSERT_NE(print, nullptr);

  // The rounding that is at stake, as the platform shows it.
  EXPECT_EQ(PlatformText(print, 1234565), "1.23457e+006");
  EXPECT_EQ(PlatformText(print, 12345.25), "12345.3");

  const std::vector<double> values = Values();
  ASSERT_GE(values.size(), 1000000u);
  std::size_t mismatches = 0;
  for (double v : values) {
    const std::string platform = PlatformText(print, v);
    const std::string ours = ElementText(Element::Number(v));
    if (ours != platform && ++mismatches <= 20) {
      char exact[64];
      print(exact, sizeof exact, "%.17g", v);
      ADD_FAILURE() << exact << ": " << ours << ", the platform " << platform;
    }
  }
  EXPECT_EQ(mismatches, 0u);
  std::printf("%zu values compared with msvcrt's _snprintf(\"%%g\")\n", values.size());
  FreeLibrary(msvcrt);
}

}  // namespace

}  // namespace tallyra
