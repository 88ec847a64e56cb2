// Bar chart geometry: bars in order and in proportion, round marks, labels that never collide,
// pointing at bars, and the percentile marks' places on a log histogram.
#include <gtest/gtest.h>

#include <vector>

#include "statistics/BarChartLayout.h"

namespace Vellumetric {
namespace {

TBarChartFrame Frame(double width, double labelWidth) {
  TBarChartFrame f;
  f.Width = width;
  f.Height = 200;
  f.TextHeight = 12;
  f.ValueLabelWidth = 40;
  f.BarLabelWidth = labelWidth;
  return f;
}

TEST(BarChartLayout, BarsStandInProportionOnRoundMarks) {
  const std::vector<double> values = {0, 3, 1700, 850, 0.5};
  const TBarChartLayout l = LayoutBarChart(values, Frame(500, 30));
  ASSERT_EQ(l.BarLeft.size(), values.size());
  for (std::size_t i = 0; i + 1 < values.size(); ++i) {
    EXPECT_LT(l.BarRight[i], l.BarLeft[i + 1]);  // a gap between neighbours
  }
  EXPECT_GE(l.BarLeft.front(), l.Left);
  EXPECT_LE(l.BarRight.back(), l.Right);
  EXPECT_EQ(l.BarTop[0], l.Bottom);      // nothing: no bar
  EXPECT_LE(l.BarTop[4], l.Bottom - 1);  // a little: still a pixel
  EXPECT_NEAR(l.Bottom - l.BarTop[3], (l.Bottom - l.BarTop[2]) / 2, 0.01);
  // Marks 0, 500, 1000, ... 2000: round, from the axis up, the top one above the tallest bar.
  ASSERT_GE(l.Ticks.size(), 3u);
  EXPECT_EQ(l.Ticks.front().Value, 0);
  EXPECT_EQ(l.Ticks.front().Y, l.Bottom);
  EXPECT_EQ(l.Ticks[1].Value, 500);
  EXPECT_GE(l.Ticks.back().Value, 1700);
  EXPECT_LE(l.Ticks.back().Y, l.BarTop[2]);

  TBarChartFrame bytes = Frame(500, 30);
  bytes.Bytes = true;
  const std::vector<double> sizes = {3.0 * 1024 * 1024};
  EXPECT_EQ(LayoutBarChart(sizes, bytes).Ticks[1].Value, 1024 * 1024);  // 1 MB, not 1,000,000
}

TEST(BarChartLayout, LabelsNeverOverlapAndTheLastBarHasOne) {
  const std::vector<double> values(40, 1);
  for (const double labelWidth : {5.0, 30.0, 90.0}) {
    const TBarChartLayout l = LayoutBarChart(values, Frame(600, labelWidth));
    ASSERT_FALSE(l.Labels.empty());
    EXPECT_EQ(l.Labels.back(), values.size() - 1);
    for (std::size_t i = 1; i < l.Labels.size(); ++i) {
      const double a = (l.BarLeft[l.Labels[i - 1]] + l.BarRight[l.Labels[i - 1]]) / 2;
      const double b = (l.BarLeft[l.Labels[i]] + l.BarRight[l.Labels[i]]) / 2;
      EXPECT_GE(b - a, labelWidth) << labelWidth;
    }
  }
  EXPECT_EQ(LayoutBarChart(values, Frame(600, 5)).Labels.size(), 40u);
}

TEST(BarChartLayout, PointingFindsTheBarAndItsGapsButNotTheMargins) {
  const std::vector<double> values = {1, 2, 3};
  const TBarChartLayout l = LayoutBarChart(values, Frame(300, 10));
  const double middle = (l.Top + l.Bottom) / 2;
  EXPECT_EQ(l.BarAt((l.BarLeft[1] + l.BarRight[1]) / 2, l.Top + 1), 1);  // above the bar
  EXPECT_EQ(l.BarAt(l.BarRight[0] + 0.1, middle), 0);                    // the gap's left half
  EXPECT_EQ(l.BarAt(l.BarLeft[2] - 0.1, middle), 2);                     // the gap's right half
  EXPECT_EQ(l.BarAt(l.Left - 1, middle), -1);
  EXPECT_EQ(l.BarAt(l.Right, middle), -1);
  EXPECT_EQ(l.BarAt(middle, l.Bottom + 5), -1);
}

TEST(BarChartLayout, HistogramPlacesSizesByTheirLogarithmInTheirBucket) {
  const std::vector<double> values(14, 1);  // [0,1) up to [4 KB, 8 KB)
  const TBarChartLayout l = LayoutBarChart(values, Frame(700, 10));
  const auto within = [&](std::size_t bucket, std::uint64_t size) {
    return (HistogramX(l, size) - l.BarLeft[bucket]) / (l.BarRight[bucket] - l.BarLeft[bucket]);
  };
  EXPECT_DOUBLE_EQ(within(13, 4096), 0.0);
  EXPECT_NEAR(within(13, 5793), 0.5, 0.001);  // 4096 * sqrt(2)
  EXPECT_NEAR(within(13, 8191), 1.0, 0.001);
  EXPECT_DOUBLE_EQ(within(0, 0), 0.5);
  EXPECT_DOUBLE_EQ(within(1, 1), 0.5);
  EXPECT_EQ(HistogramX(l, 1 << 20), l.Right);  // beyond the last bar
}

}  // namespace
}  // namespace Vellumetric
