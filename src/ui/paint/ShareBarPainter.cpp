#include "ui/paint/ShareBarPainter.h"

#include <QColor>

namespace Vellumetric {

void PaintShareBar(QPainter& painter, const QRect& cell, double width) {
  const int left = cell.x();
  const int top = cell.y();
  const int bottom = cell.y() + cell.height();  // excluded, as the bar's rectangle is drawn
  const int right = static_cast<int>(left + width);
  if (right <= left || bottom <= top) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(left, top, right - left, bottom - top), QColor(128, 128, 128));
  if (right - left > 2 && bottom - top > 2) {
    painter.fillRect(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2),
                     QColor(199, 236, 136));
  }
  int blue = 136;
  const int end = static_cast<int>(left + width - 1);
  for (int x = left + 1; x < end; ++x) {
    if (blue + 1 < 255) ++blue;
    if (bottom - 1 > top + 1) {
      painter.fillRect(QRect(x, top + 1, 1, bottom - top - 2), QColor(199, 236, blue));
    }
  }
  painter.restore();
}

double ShareBarWidth(std::uint64_t size, std::uint64_t whole) {
  const long double w = static_cast<long double>(size) * 160 / static_cast<long double>(whole);
  return static_cast<float>(w);
}

}  // namespace Vellumetric
