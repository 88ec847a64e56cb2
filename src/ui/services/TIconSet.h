#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace Vellumetric {

// The program's own pictures (SVG resources) rendered at the sizes the windows ask for. A
// disabled image is the enabled one in grey at half strength, so both image lists of a toolbar
// come from one drawing.
class TIconSet {
 public:
  [[nodiscard]] static QPixmap Pixmap(const QString& name, int size, bool enabled = true);
  // Normal and disabled pixmaps of one size.
  [[nodiscard]] static QIcon Icon(const QString& name, int size);

 private:
  // The picture `name` (resources/icons/NAME.svg, compiled in) drawn at `size` x `size` pixels
  // on a transparent background. Platform code: posix/ draws the SVG with Qt's SVG module, which
  // a Windows build does without.
  [[nodiscard]] static QImage Draw(const QString& name, int size);
};

}  // namespace Vellumetric
