// Plot: a list's elements as a bar chart of Unicode block characters, for the
// terminal. Pure: the caller reads the elements.
#ifndef TALLYRA_TALLYRA_PLOT_H_
#define TALLYRA_TALLYRA_PLOT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tallyra::script {

// Elements that plot draws at most, and the seconds that it spends reading
// them at most.
constexpr int kMaxPlotElements = 200;
constexpr int kPlotSeconds = 5;
// The columns that the labels and the axis take at most, beside the bars.
constexpr int kPlotLabelColumns = 15;

// The chart's lines (UTF-8): kPlotRows rows of bars, one column an element,
// from the lowest value to the highest, both labelled on the left, then the
// axis and the first and last index below it. An element without a number
// (empty, infinite, NaN) leaves its column blank. Nothing to draw gives one
// line that says so.
std::vector<std::string> DrawPlot(const std::vector<std::optional<double>>& values);

constexpr int kPlotRows = 8;

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_PLOT_H_
