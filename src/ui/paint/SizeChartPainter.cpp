#include "ui/paint/SizeChartPainter.h"

#include <QPainterPath>

namespace Vellumetric {
namespace {

// The share bars' green, a shade darker so the line reads on white.
const QColor kLine(86, 140, 40);
const QColor kCompared(217, 119, 6);

void PaintMarks(QPainter& painter, const TSizeChartLayout& l, const QPalette& palette) {
  const QFontMetricsF metrics(painter.font());
  QColor grid = palette.color(QPalette::Mid);
  grid.setAlpha(90);
  for (const TSizeChartTick& t : l.Ticks) {
    painter.setPen(QPen(grid, 1));
    painter.drawLine(QPointF(l.Left, t.Y), QPointF(l.Right, t.Y));
    painter.setPen(palette.color(QPalette::Text));
    const QString label = QString::fromStdString(t.Label);
    const QRectF box(0, t.Y - metrics.height() / 2, l.Left - 6, metrics.height());
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, label);
  }
  painter.setPen(QPen(palette.color(QPalette::Mid), 1));
  painter.drawLine(QPointF(l.Left, l.Top), QPointF(l.Left, l.Bottom));
  painter.drawLine(QPointF(l.Left, l.Bottom), QPointF(l.Right, l.Bottom));
}

void PaintDates(QPainter& painter, const TSizeChartLayout& l, const QStringList& dates) {
  const QFontMetricsF metrics(painter.font());
  for (const std::size_t i : l.DateLabels) {
    if (static_cast<qsizetype>(i) >= dates.size()) continue;
    const double width = metrics.horizontalAdvance(dates[static_cast<qsizetype>(i)]);
    const QRectF box(l.X[i] - width / 2, l.Bottom + 4, width + 1, metrics.height());
    painter.drawText(box, Qt::AlignCenter, dates[static_cast<qsizetype>(i)]);
  }
}

}  // namespace

void PaintSizeChart(QPainter& painter, const TSizeChartLayout& l, const QStringList& dates,
                    std::size_t compared, const QPalette& palette) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  PaintMarks(painter, l, palette);
  painter.setPen(palette.color(QPalette::Text));
  PaintDates(painter, l, dates);
  const std::size_t n = l.X.size();
  if (compared < n) {
    painter.setPen(QPen(kCompared, 1, Qt::DashLine));
    painter.drawLine(QPointF(l.X[compared], l.Y[compared]), QPointF(l.X[compared], l.Bottom));
  }
  if (n > 1) {
    QPainterPath line(QPointF(l.X[0], l.Y[0]));
    for (std::size_t i = 1; i < n; ++i) line.lineTo(l.X[i], l.Y[i]);
    painter.setPen(QPen(kLine, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(line);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const QPointF at(l.X[i], l.Y[i]);
    painter.setPen(QPen(kLine, 1.2));
    painter.setBrush(i + 1 == n ? QBrush(kLine) : QBrush(palette.color(QPalette::Base)));
    painter.drawEllipse(at, 2.5, 2.5);
  }
  if (compared < n) {
    painter.setPen(QPen(kCompared, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(l.X[compared], l.Y[compared]), 5, 5);
  }
  painter.restore();
}

}  // namespace Vellumetric
