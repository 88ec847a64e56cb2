#include "ui/services/TIconSet.h"

// The pictures are compiled into this static library; a static library's resources are
// registered by hand before the first use.
static void RegisterPictures() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(vellumetric);
    return true;
  }();
  (void)registered;
}

namespace Vellumetric {

QPixmap TIconSet::Pixmap(const QString& name, int size, bool enabled) {
  RegisterPictures();
  QImage image = Draw(name, size);
  if (!enabled) {
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
      for (int x = 0; x < grey.width(); ++x) {
        const int g = qGray(line[x]);
        line[x] = qRgba(g, g, g, qAlpha(line[x]) / 2);
      }
    }
    image = grey;
  }
  return QPixmap::fromImage(image);
}

QIcon TIconSet::Icon(const QString& name, int size) {
  QIcon icon;
  icon.addPixmap(Pixmap(name, size, true), QIcon::Normal);
  icon.addPixmap(Pixmap(name, size, false), QIcon::Disabled);
  return icon;
}

}  // namespace Vellumetric
