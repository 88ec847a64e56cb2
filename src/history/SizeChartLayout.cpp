#include "history/SizeChartLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "system/Formatting.h"

namespace Vellumetric {
namespace {

constexpr long double kKB = 1024.0L;
constexpr long double kMB = kKB * 1024;
constexpr long double kGB = kMB * 1024;

// The unit FormatSize writes `size` in.
long double UnitOf(std::uint64_t size) {
  const auto s = static_cast<long double>(size);
  if (static_cast<float>(s / kGB) >= 1.0f) return kGB;
  if (static_cast<float>(s / kMB) >= 1.0f) return kMB;
  return kKB;
}

// The smallest of 1, 2, 5 times a power of ten that is at least `raw`, and never below 0.01:
// labels have at most two decimals.
long double NiceStep(long double raw) {
  if (!(raw > 0.01L)) return 0.01L;
  const long double power = std::pow(10.0L, std::floor(std::log10(raw)));
  for (const long double m : {1.0L, 2.0L, 5.0L, 10.0L}) {
    if (m * power >= raw * (1 - 1e-12L)) return m * power;
  }
  return 10 * power;
}

std::uint64_t ToBytes(long double value) {
  if (!(value > 0)) return 0;
  if (value >= 18446744073709551615.0L) return UINT64_MAX;
  return static_cast<std::uint64_t>(std::roundl(value));
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

void LayOutSizes(const std::vector<TSizeChartPoint>& points, const TSizeChartFrame& frame,
                 std::string_view decimalSeparator, TSizeChartLayout& out) {
  const auto [low, high] = std::minmax_element(
      points.begin(), points.end(),
      [](const TSizeChartPoint& a, const TSizeChartPoint& b) { return a.Size < b.Size; });
  const long double unit = UnitOf(high->Size);
  const double height = out.Bottom - out.Top;
  // Room for a label every two lines of text, and at least one step.
  const int steps = std::clamp(
      frame.TextHeight > 0 ? static_cast<int>(height / (2 * frame.TextHeight)) : 4, 1, 6);
  const long double span = static_cast<long double>(high->Size - low->Size);
  const long double step = NiceStep(span / steps / unit) * unit;
  long double first = std::floor(static_cast<long double>(low->Size) / step) * step;
  long double last = std::ceil(static_cast<long double>(high->Size) / step) * step;
  if (last - first < step / 2) {
    // Every total the same: one step above and, when there is room below zero, one below.
    last = first + step;
    if (first >= step) first -= step;
  }
  const int decimals = step / unit >= 0.1L ? 1 : 2;
  const auto yOf = [&](long double size) {
    return out.Bottom - static_cast<double>((size - first) / (last - first)) * height;
  };
  for (long double v = first; v <= last + step / 2; v += step) {
    const std::uint64_t size = ToBytes(v);
    out.Ticks.push_back({yOf(v), size, Trimmed(FormatSize(size, decimals, decimalSeparator))});
  }
  for (const TSizeChartPoint& p : points) out.Y.push_back(yOf(static_cast<long double>(p.Size)));
}

void LayOutTimes(const std::vector<TSizeChartPoint>& points, const TSizeChartFrame& frame,
                 TSizeChartLayout& out) {
  const std::int64_t first = points.front().Time;
  const std::int64_t last = points.back().Time;
  for (const TSizeChartPoint& p : points) {
    out.X.push_back(last > first
                        ? out.Left + static_cast<double>(p.Time - first) /
                                         static_cast<double>(last - first) * (out.Right - out.Left)
                        : (out.Left + out.Right) / 2);
  }
  // The newest date, then the oldest, then from the right every date with room beside those
  // already written: the span is always readable, and the dates never run into each other.
  const double gap = frame.DateLabelWidth + 2 * frame.Margin;
  const auto fits = [&](std::size_t i) {
    return std::all_of(out.DateLabels.begin(), out.DateLabels.end(),
                       [&](std::size_t j) { return std::abs(out.X[i] - out.X[j]) >= gap; });
  };
  out.DateLabels.push_back(points.size() - 1);
  if (points.size() > 1 && fits(0)) out.DateLabels.push_back(0);
  for (std::size_t i = points.size() - 1; i-- > 1;) {
    if (fits(i)) out.DateLabels.push_back(i);
  }
  std::sort(out.DateLabels.begin(), out.DateLabels.end());
}

}  // namespace

TSizeChartLayout LayoutSizeChart(const std::vector<TSizeChartPoint>& points,
                                 const TSizeChartFrame& frame, std::string_view decimalSeparator) {
  TSizeChartLayout out;
  const double m = frame.Margin;
  out.Left = std::max(m + frame.SizeLabelWidth + m, m + frame.DateLabelWidth / 2);
  out.Right = std::max(out.Left, frame.Width - m - frame.DateLabelWidth / 2);
  out.Top = m + frame.TextHeight / 2;
  out.Bottom = std::max(out.Top, frame.Height - m - frame.TextHeight - m);
  if (points.empty()) return out;
  LayOutSizes(points, frame, decimalSeparator, out);
  LayOutTimes(points, frame, out);
  return out;
}

}  // namespace Vellumetric
