#include "tallyra/Plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace tallyra::script {

namespace {

using Values = std::vector<std::optional<double>>;
using Lines = std::vector<std::string>;

TEST(PlotTest, BarsRiseFromTheLowestValueWithBothEndsLabelled) {
  EXPECT_EQ(DrawPlot({0.0, 4.0, std::nullopt, 8.0, 2.0}),
            Lines({"8 \u2524   \u2588", "  \u2502   \u2588", "  \u2502   \u2588",
                   "  \u2502   \u2588", "  \u2502 \u2588 \u2588", "  \u2502 \u2588 \u2588",
                   "  \u2502 \u2588 \u2588\u2588", "0 \u2524\u2581\u2588 \u2588\u2588",
                   "  \u2514\u2500\u2500\u2500\u2500\u2500", "   0   4"}));
}

TEST(PlotTest, NegativeValuesAndEighthsOfARow) {
  const Lines lines = DrawPlot({-64.0, 0.0, 1.0});
  ASSERT_EQ(lines.size(), static_cast<size_t>(kPlotRows + 2));
  // 0 is 63 of the 64 eighths above -64: one short of the top.
  EXPECT_EQ(lines.front(), "  1 \u2524 \u2587\u2588");
  EXPECT_EQ(lines[kPlotRows - 1], "-64 \u2524\u2581\u2588\u2588");
  EXPECT_EQ(lines.back(), "     0 2");
}

TEST(PlotTest, NothingToDrawSaysSo) {
  EXPECT_EQ(DrawPlot({}), Lines({"(no elements to plot)"}));
  EXPECT_EQ(DrawPlot({std::nullopt, std::nan(""), INFINITY}),
            Lines({"(no element has a number to plot)"}));
  // Equal values: every bar full, one index.
  const Lines one = DrawPlot({0.0});
  EXPECT_EQ(one[kPlotRows - 1], "0 \u2524\u2588");
  EXPECT_EQ(one.back(), "   0");
}

TEST(PlotTest, TheAxisStartsAtTheLowestValueNotAtZero) {
  const Lines lines = DrawPlot({1000.0, 1008.0, 1016.0});
  EXPECT_EQ(lines.front(), "1016 \u2524  \u2588");
  EXPECT_EQ(lines[kPlotRows - 1], "1000 \u2524\u2581\u2588\u2588");
}

}  // namespace

}  // namespace tallyra::script
