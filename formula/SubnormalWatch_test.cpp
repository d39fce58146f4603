#include "formula/SubnormalWatch.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace tallyra {
namespace {

// Kept in memory, so that the compiler folds none of the work.
volatile double g_sink;

volatile double g_subnormal = std::numeric_limits<double>::denorm_min() * 12345;
double Subnormal() { return g_subnormal; }

TEST(SubnormalWatchTest, TellsWorkThatMetASubnormalNumber) {
  const struct {
    const char* what;
    double (*work)(double);
    bool met;
  } cases[] = {
      {"ordinary numbers", [](double small) { return small / 3 + 1e300 * small; }, false},
      {"a subnormal operand", [](double small) { return Subnormal() * small; }, true},
      {"an inexact subnormal result", [](double small) { return small / 3e10; }, true},
  };
  for (const auto& c : cases) {
    volatile double small = 1e-300;
    SubnormalWatch watch;
    g_sink = c.work(small);
    EXPECT_EQ(watch.Met(), c.met) << c.what;
  }
  // Exact, no flag: the value itself tells.
  EXPECT_TRUE(SubnormalWatch::IsSubnormal(std::ldexp(1.0, -1050)));
  EXPECT_FALSE(SubnormalWatch::IsSubnormal(0.0));
  EXPECT_FALSE(SubnormalWatch::IsSubnormal(1e-300));
}

TEST(SubnormalWatchTest, LeavesTheThreadsFlagsAsItFoundThem) {
  volatile double tiny = 1e-300;
  std::feclearexcept(FE_UNDERFLOW);
  {
    SubnormalWatch watch;
    g_sink = tiny / 3e10;
    EXPECT_TRUE(watch.Met());
  }
  EXPECT_EQ(std::fetestexcept(FE_UNDERFLOW), 0) << "a flag that the watch saw raised is cleared";
  g_sink = tiny / 3e10;
  ASSERT_NE(std::fetestexcept(FE_UNDERFLOW), 0);
  {
    SubnormalWatch watch;
    g_sink = 1.5 / 3;
    EXPECT_FALSE(watch.Met()) << "a flag raised before is not taken as met";
  }
  EXPECT_NE(std::fetestexcept(FE_UNDERFLOW), 0) << "and is raised again after";
  std::feclearexcept(FE_UNDERFLOW);
}

}  // namespace
}  // namespace tallyra
