// The size-over-time chart's layout: every point inside the plot where its time and size put it,
// round size marks that enclose the totals and read as FormatSize writes them, and date labels
// that never overlap.
#include <gtest/gtest.h>

#include <cmath>

#include "history/SizeChartLayout.h"
#include "system/Formatting.h"

namespace Vellumetric {
namespace {

constexpr std::uint64_t kGB = 1ull << 30;

TSizeChartFrame Frame() {
  TSizeChartFrame f;
  f.Width = 600;
  f.Height = 160;
  f.TextHeight = 14;
  f.SizeLabelWidth = 60;
  f.DateLabelWidth = 90;
  return f;
}

// Checks what holds for any layout of `points`.
void ExpectSound(const std::vector<TSizeChartPoint>& points, const TSizeChartLayout& l,
                 const TSizeChartFrame& f) {
  ASSERT_EQ(l.X.size(), points.size());
  ASSERT_EQ(l.Y.size(), points.size());
  EXPECT_GE(l.Left, f.SizeLabelWidth);
  EXPECT_LE(l.Right + f.DateLabelWidth / 2, f.Width);
  EXPECT_LE(l.Bottom + f.TextHeight, f.Height);
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_GE(l.X[i], l.Left);
    EXPECT_LE(l.X[i], l.Right);
    EXPECT_GE(l.Y[i], l.Top - 1e-9);
    EXPECT_LE(l.Y[i], l.Bottom + 1e-9);
  }
  ASSERT_GE(l.Ticks.size(), 2u);
  for (const TSizeChartPoint& p : points) {
    EXPECT_LE(l.Ticks.front().Size, p.Size);
    EXPECT_GE(l.Ticks.back().Size, p.Size);
  }
  for (std::size_t i = 1; i < l.Ticks.size(); ++i) {
    EXPECT_LT(l.Ticks[i].Y, l.Ticks[i - 1].Y);
    EXPECT_GT(l.Ticks[i].Size, l.Ticks[i - 1].Size);
    EXPECT_NE(l.Ticks[i].Label, l.Ticks[i - 1].Label);
  }
  EXPECT_NEAR(l.Ticks.front().Y, l.Bottom, 1e-6);
  EXPECT_NEAR(l.Ticks.back().Y, l.Top, 1e-6);
  ASSERT_FALSE(l.DateLabels.empty());
  EXPECT_EQ(l.DateLabels.back(), points.size() - 1);
  for (std::size_t i = 1; i < l.DateLabels.size(); ++i) {
    EXPECT_GE(l.X[l.DateLabels[i]] - l.X[l.DateLabels[i - 1]], f.DateLabelWidth);
  }
}

TEST(SizeChartLayout, TimesInProportionSizesBetweenRoundMarks) {
  const TSizeChartFrame f = Frame();
  // A day apart, then six days: 40.2 GB growing to 41.5 GB.
  const std::vector<TSizeChartPoint> points = {{1700000000, 40 * kGB + kGB / 5},
                                               {1700086400, 40 * kGB + kGB / 2},
                                               {1700604800, 41 * kGB + kGB / 2}};
  const TSizeChartLayout l = LayoutSizeChart(points, f, ",");
  ExpectSound(points, l, f);
  EXPECT_DOUBLE_EQ(l.X[0], l.Left);
  EXPECT_DOUBLE_EQ(l.X[2], l.Right);
  EXPECT_NEAR((l.X[1] - l.X[0]) / (l.X[2] - l.X[0]), 1.0 / 7, 1e-9);
  EXPECT_GT(l.Y[0], l.Y[1]);  // larger totals higher up
  EXPECT_GT(l.Y[1], l.Y[2]);
  // The marks sit on round values of the unit shown, and say so in its words.
  for (const TSizeChartTick& t : l.Ticks) {
    const double inUnits = static_cast<double>(t.Size) / kGB;
    EXPECT_NEAR(inUnits * 10, std::round(inUnits * 10), 1e-6) << t.Label;
    std::string expected = FormatSize(t.Size, 1, ",");
    expected.erase(0, expected.find_first_not_of(' '));
    EXPECT_EQ(t.Label, expected);
  }
  EXPECT_LT(l.Ticks.back().Size - l.Ticks.front().Size, 4 * kGB);  // not stretched down to 0
  // The first two points are too close for two dates: the first one keeps its date, so the span
  // of the chart can be read.
  EXPECT_EQ(l.DateLabels, (std::vector<std::size_t>{0, 2}));
}

TEST(SizeChartLayout, OnePointEqualTotalsAndEqualTimesStayInsideThePlot) {
  const TSizeChartFrame f = Frame();
  for (const std::vector<TSizeChartPoint>& points :
       {std::vector<TSizeChartPoint>{{1700000000, 5 * kGB}},
        std::vector<TSizeChartPoint>{{1700000000, 0}, {1700000000, 0}},
        std::vector<TSizeChartPoint>{{1, 1000}, {2, 1000}, {3, 1001}},
        std::vector<TSizeChartPoint>{{1, 0}, {2, UINT64_MAX / 2}}}) {
    const TSizeChartLayout l = LayoutSizeChart(points, f);
    SCOPED_TRACE(points.size());
    ExpectSound(points, l, f);
  }
  // Nothing to draw: only the plot box.
  const TSizeChartLayout none = LayoutSizeChart({}, f);
  EXPECT_TRUE(none.X.empty());
  EXPECT_TRUE(none.Ticks.empty());
}

}  // namespace
}  // namespace Vellumetric
