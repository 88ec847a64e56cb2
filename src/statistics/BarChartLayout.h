#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Vellumetric {

// The box a bar chart may fill, in pixels, and the room its labels need, measured by whoever
// paints them.
struct TBarChartFrame {
  double X = 0;
  double Y = 0;
  double Width = 0;
  double Height = 0;
  double TextHeight = 0;       // one line of labels
  double ValueLabelWidth = 0;  // the widest label of the value axis
  double BarLabelWidth = 0;    // the widest label under a bar
  double Margin = 4;
  // Values are bytes: the marks step in 1, 2 or 5 of a binary unit (KB = 1024), as sizes are
  // shown; else in 1, 2 or 5 of a power of ten.
  bool Bytes = false;
};

struct TBarChartTick {
  double Y = 0;
  double Value = 0;
};

// Where a bar chart's parts go: the plot spans [Left, Right] x [Top, Bottom], bar i covers
// [BarLeft[i], BarRight[i]] from BarTop[i] down to Bottom (a bar of a value above zero is at
// least one pixel high, so it never vanishes beside a tall one).
struct TBarChartLayout {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  std::vector<double> BarLeft;
  std::vector<double> BarRight;
  std::vector<double> BarTop;
  std::vector<TBarChartTick> Ticks;  // bottom to top, from 0
  // The bars whose label is written under the axis, left to right: as many as fit without
  // overlapping, evenly spaced, the last bar always among them.
  std::vector<std::size_t> Labels;

  // The bar under the point, or -1: the whole height of the plot above a bar and the gaps beside
  // it count, so a short bar is as easy to point at as a tall one.
  [[nodiscard]] int BarAt(double x, double y) const noexcept;
};

// Lays out one bar per value, left to right, on a value axis from 0 to a round mark at or above
// the largest value. Pure arithmetic: tested without a window, painted by the window.
[[nodiscard]] TBarChartLayout LayoutBarChart(std::span<const double> values,
                                             const TBarChartFrame& frame);

// The horizontal place of `size` bytes on a histogram laid out with one bar per power-of-two
// bucket from [0, 1) on (TSizeBucket): within its bucket by the logarithm of the size, so the
// marks of the percentiles fall where their sizes lie.
[[nodiscard]] double HistogramX(const TBarChartLayout& layout, std::uint64_t size) noexcept;

}  // namespace Vellumetric
