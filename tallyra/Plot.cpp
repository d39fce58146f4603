#include "tallyra/Plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tallyra::script {

namespace {

// U+2581 to U+2588: a bar one eighth to eight eighths high; index 0 is blank.
const char* const kBlocks[] = {" ",      "\u2581", "\u2582", "\u2583", "\u2584",
                               "\u2585", "\u2586", "\u2587", "\u2588"};

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.6g", v);
  return text;
}

std::string Padded(const std::string& s, size_t width) {
  return std::string(width > s.size() ? width - s.size() : 0, ' ') + s;
}

}  // namespace

std::vector<std::string> DrawPlot(const std::vector<std::optional<double>>& values) {
  bool any = false;
  double lo = 0;
  double hi = 0;
  for (const std::optional<double>& v : values) {
    if (!v || !std::isfinite(*v)) continue;
    lo = any ? std::min(lo, *v) : *v;
    hi = any ? std::max(hi, *v) : *v;
    any = true;
  }
  if (values.empty()) return {"(no elements to plot)"};
  if (!any) return {"(no element has a number to plot)"};
  const int levels = kPlotRows * 8;
  std::vector<int> height(values.size(), -1);
  for (size_t i = 0; i < values.size(); ++i) {
    const std::optional<double>& v = values[i];
    if (!v || !std::isfinite(*v)) continue;
    // Equal values stand as full bars.
    height[i] = hi > lo ? static_cast<int>(std::lround((*v - lo) / (hi - lo) * levels)) : levels;
  }
  const std::string top = Number(hi);
  const std::string bottom = Number(lo);
  const size_t width = std::max(top.size(), bottom.size());
  std::vector<std::string> lines;
  for (int row = 0; row < kPlotRows; ++row) {
    std::string label = row == 0 ? top : row == kPlotRows - 1 ? bottom : std::string();
    std::string line = Padded(label, width) + (label.empty() ? " \u2502" : " \u2524");
    const int base = (kPlotRows - 1 - row) * 8;
    for (int h : height) {
      // An element at the lowest value still shows as the thinnest bar.
      const int cell = h < 0 ? 0 : std::clamp(std::max(h, 1) - base, 0, 8);
      line += kBlocks[cell];
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  std::string axis = std::string(width, ' ') + " \u2514";
  for (size_t i = 0; i < values.size(); ++i) axis += "\u2500";
  lines.push_back(axis);
  const std::string first = "0";
  const std::string last = std::to_string(values.size() - 1);
  std::string index = std::string(width + 2, ' ') + first;
  if (values.size() > 1) {
    const size_t gap =
        values.size() > first.size() + last.size() ? values.size() - first.size() - last.size() : 1;
    index += std::string(gap, ' ') + last;
  }
  lines.push_back(index);
  return lines;
}

}  // namespace tallyra::script
