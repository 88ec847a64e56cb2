#pragma once

#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <vector>

#include "statistics/BarChartLayout.h"

namespace Vellumetric {

// The colours of the statistics' bar charts under a colour scheme. In a light scheme: a blue
// bar, an orange mark, grey lines; in a dark or high-contrast scheme the scheme's highlight and
// link colours, so the bars stand out from its background as much as its own selections do.
struct TBarChartColours {
  QColor Background;
  QColor Bar;
  QColor HotBar;  // the bar under the pointer
  QColor Mark;    // the percentile marks
  QColor Text;
  QColor Grid;
  QColor Axis;

  [[nodiscard]] static TBarChartColours For(const QPalette& palette);
};

// A vertical mark across the plot at X, labelled above it ("Median"); the caller leaves a line
// of room above the plot for the labels.
struct TBarChartMark {
  double X = 0;
  QString Label;
  bool Strong = false;  // drawn solid and thicker; the others dashed
};

// What one chart shows: its layout (LayoutBarChart), a title above the plot, a label per bar
// (written for the bars the layout picked) and per value mark, the marks, and the bar under the
// pointer (-1 for none).
struct TBarChartPicture {
  TBarChartLayout Layout;
  QString Title;
  QStringList BarLabels;
  QStringList TickLabels;
  std::vector<TBarChartMark> Marks;
  int HotBar = -1;
  double TitleTop = 0;  // where the title's line starts
};

// Paints the chart: value marks with their labels and grid lines, the bars, the axis, the bar
// labels under it, the marks and the title. The background is left to the caller.
void PaintBarChart(QPainter& painter, const TBarChartPicture& picture,
                   const TBarChartColours& colours);

}  // namespace Vellumetric
