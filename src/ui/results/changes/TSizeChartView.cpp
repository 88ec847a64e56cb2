#include "ui/results/changes/TSizeChartView.h"

#include <QLocale>
#include <QPainter>
#include <algorithm>

#include "system/Formatting.h"
#include "ui/paint/SizeChartPainter.h"

namespace Vellumetric {

TSizeChartView::TSizeChartView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SizeChart"));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

void TSizeChartView::SetPoints(std::vector<TSizeChartPoint> points, QStringList dates,
                               std::size_t compared) {
  Data = std::move(points);
  Dates = std::move(dates);
  ComparedIndex = compared;
  update();
}

void TSizeChartView::Clear() {
  SetPoints({}, {}, 0);
}

TSizeChartLayout TSizeChartView::CurrentLayout() const {
  const QFontMetrics metrics(font());
  TSizeChartFrame frame;
  frame.Width = width();
  frame.Height = height();
  frame.TextHeight = metrics.height();
  const std::string separator = QLocale::system().decimalPoint().toStdString();
  frame.SizeLabelWidth = metrics.horizontalAdvance(
      QString::fromStdString(FormatSize(1023ull << 20, 1, separator)).trimmed());
  for (const QString& date : Dates) {
    frame.DateLabelWidth = std::max<double>(frame.DateLabelWidth, metrics.horizontalAdvance(date));
  }
  frame.Margin = std::max(3, metrics.height() / 4);
  return LayoutSizeChart(Data, frame, separator);
}

void TSizeChartView::paintEvent(QPaintEvent*) {
  if (Data.empty()) return;
  QPainter painter(this);
  PaintSizeChart(painter, CurrentLayout(), Dates, ComparedIndex, palette());
}

}  // namespace Vellumetric
