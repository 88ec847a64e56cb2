// The program's pictures drawn from their SVG with Qt's SVG module.
#include "ui/services/TIconSet.h"

#include <QPainter>
#include <QSvgRenderer>

namespace Vellumetric {

QImage TIconSet::Draw(const QString& name, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  return image;
}

}  // namespace Vellumetric
