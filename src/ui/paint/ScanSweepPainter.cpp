#include "ui/paint/ScanSweepPainter.h"

#include <QLinearGradient>
#include <cmath>

namespace Vellumetric {

void PaintScanSweep(QPainter& painter, double width, double height, int angle,
                    const QColor& background) {
  const int x0 = static_cast<int>((width - 250) * 0.5);
  const int y0 = static_cast<int>((height - 250) * 0.5);
  const QRect disc(x0, y0, 250, 250);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.fillRect(QRect(0, 0, static_cast<int>(width), static_cast<int>(height)), background);

  const int midX = static_cast<int>(width * 0.5);
  QLinearGradient gradient(midX, 0, midX, static_cast<int>(height));
  gradient.setColorAt(0, QColor(150, 150, 150, 255));
  gradient.setColorAt(1, QColor(200, 200, 200, 255));
  gradient.setSpread(QGradient::RepeatSpread);
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  painter.drawEllipse(disc);

  const QRect outline(static_cast<int>(width - 250) / 2, static_cast<int>(height - 250) / 2, 250,
                      250);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(100, 100, 100, 255), 1));
  painter.drawEllipse(outline);

  const double phi = angle * 3.14159265 / 180;
  const int cx = x0 + 125;
  const int cy = y0 + 125;
  painter.setPen(QPen(QColor(200, 200, 100, 255), 1));
  painter.drawLine(cx, cy, cx + static_cast<int>(125 * std::cos(phi)),
                   cy + static_cast<int>(125 * std::sin(phi)));

  // Qt counts angles anticlockwise in 1/16 degree; the wedges trail the hand, so they start at
  // the hand and open against the direction it turns.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 200, 100, 100));
  painter.drawPie(disc, -angle * 16, 10 * 16);
  painter.setBrush(QColor(200, 200, 100, 50));
  painter.drawPie(disc, -(angle - 10) * 16, 2 * 16);
}

}  // namespace Vellumetric
