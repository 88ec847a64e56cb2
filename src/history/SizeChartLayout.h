#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vellumetric {

// One scan on the size-over-time chart: when it started and the root's total.
struct TSizeChartPoint {
  std::int64_t Time = 0;  // seconds since 1970
  std::uint64_t Size = 0;
};

// The chart's box in pixels and the room its labels need, measured by whoever paints them.
struct TSizeChartFrame {
  double Width = 0;
  double Height = 0;
  double TextHeight = 0;      // one line of labels
  double SizeLabelWidth = 0;  // the widest size label the axis may need ("1023.9 MB")
  double DateLabelWidth = 0;  // the widest date label
  double Margin = 4;
};

// A mark on the size axis: its height in pixels, the size there and its text (FormatSize).
struct TSizeChartTick {
  double Y = 0;
  std::uint64_t Size = 0;
  std::string Label;
};

// Where everything of the chart goes. The plot spans [Left, Right] x [Top, Bottom]; X and Y give
// each point's position, in the order the points were given.
struct TSizeChartLayout {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  std::vector<double> X;
  std::vector<double> Y;
  std::vector<TSizeChartTick> Ticks;  // bottom to top
  // The points whose date is written below the axis, left to right; labels never overlap, and
  // the newest point always has one.
  std::vector<std::size_t> DateLabels;
};

// Lays out the root's total over time: times on the x axis in proportion, sizes on the y axis
// between round marks (steps of 1, 2 or 5 in the unit FormatSize shows) just below the smallest
// and just above the largest total, so a change of a few per cent still shows as a slope.
// `points` must be oldest first. Pure arithmetic: tested without a window, painted by the window.
[[nodiscard]] TSizeChartLayout LayoutSizeChart(const std::vector<TSizeChartPoint>& points,
                                               const TSizeChartFrame& frame,
                                               std::string_view decimalSeparator = ".");

}  // namespace Vellumetric
