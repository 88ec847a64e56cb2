#include "statistics/BarChartLayout.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace Vellumetric {
namespace {

constexpr double kGapShare = 0.2;  // of each bar's slot, left empty between bars

// The round step that gives about four marks up to `largest`.
double MarkStep(double largest, bool bytes) {
  double unit = 1;
  if (bytes) {
    while (largest / unit >= 1024) unit *= 1024;
  }
  const double raw = std::max(largest / unit / 4, 1.0);
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  double step = decade;
  for (const double f : {1.0, 2.0, 5.0, 10.0}) {
    if (decade * f >= raw) {
      step = decade * f;
      break;
    }
  }
  return step * unit;
}

}  // namespace

int TBarChartLayout::BarAt(double x, double y) const noexcept {
  if (y < Top || y > Bottom || x < Left || x >= Right || BarLeft.empty()) return -1;
  // The gaps count with the bar they are nearest to.
  const double slot = (Right - Left) / static_cast<double>(BarLeft.size());
  return std::min(static_cast<int>((x - Left) / slot), static_cast<int>(BarLeft.size()) - 1);
}

TBarChartLayout LayoutBarChart(std::span<const double> values, const TBarChartFrame& frame) {
  TBarChartLayout l;
  l.Left = frame.X + frame.Margin + frame.ValueLabelWidth + frame.Margin;
  l.Right = std::max(l.Left + 1, frame.X + frame.Width - frame.Margin);
  l.Top = frame.Y + frame.Margin + frame.TextHeight / 2;
  l.Bottom =
      std::max(l.Top + 1, frame.Y + frame.Height - frame.Margin - frame.TextHeight - frame.Margin);
  const double largest = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
  const double step = MarkStep(largest, frame.Bytes);
  const double top = std::max(step, std::ceil(largest / step) * step);
  const double height = l.Bottom - l.Top;
  for (double v = 0; v <= top + step / 2; v += step) {
    l.Ticks.push_back({l.Bottom - v / top * height, v});
  }
  const std::size_t n = values.size();
  const double slot = n == 0 ? 0 : (l.Right - l.Left) / static_cast<double>(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double left = l.Left + slot * static_cast<double>(i);
    l.BarLeft.push_back(left + slot * kGapShare / 2);
    l.BarRight.push_back(left + slot * (1 - kGapShare / 2));
    double barHeight = values[i] / top * height;
    if (values[i] > 0) barHeight = std::max(barHeight, 1.0);
    l.BarTop.push_back(l.Bottom - barHeight);
  }
  if (n > 0) {
    const double room = std::max(frame.BarLabelWidth + frame.Margin, 1.0);
    const auto every =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(room / std::max(slot, 1e-9))));
    for (std::size_t i = (n - 1) % every; i < n; i += every) l.Labels.push_back(i);
  }
  return l;
}

double HistogramX(const TBarChartLayout& layout, std::uint64_t size) noexcept {
  const auto bucket = static_cast<std::size_t>(std::bit_width(size));
  if (bucket >= layout.BarLeft.size()) return layout.Right;
  const double left = layout.BarLeft[bucket];
  const double width = layout.BarRight[bucket] - left;
  if (bucket <= 1) return left + width / 2;  // one size only: 0 or 1
  const double within = std::log2(static_cast<double>(size)) - static_cast<double>(bucket - 1);
  return left + width * std::clamp(within, 0.0, 1.0);
}

}  // namespace Vellumetric
