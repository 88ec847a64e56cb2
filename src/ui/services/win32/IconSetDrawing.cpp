// The program's pictures from PNGs rendered at build time from their SVG (the Windows build of
// Qt has no SVG module): the nearest size at or above the one asked for, scaled down smoothly.
#include <QPainter>

#include "ui/services/TIconSet.h"

namespace Vellumetric {

QImage TIconSet::Draw(const QString& name, int size) {
  static const int kSizes[] = {16, 20, 24, 32, 40, 48, 64, 128, 256};
  int chosen = kSizes[std::size(kSizes) - 1];
  for (int s : kSizes) {
    if (s >= size) {
      chosen = s;
      break;
    }
  }
  QImage source(QStringLiteral(":/pictures/%1-%2.png").arg(name).arg(chosen));
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (!source.isNull()) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, size, size), source);
  }
  return image;
}

}  // namespace Vellumetric
