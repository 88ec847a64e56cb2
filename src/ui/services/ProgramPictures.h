#pragma once

#include <QImage>
#include <QString>

namespace Vellumetric {

// The program's picture `name` (resources/icons/NAME.svg, compiled in) drawn at `size` x `size`
// pixels on a transparent background. Platform code: posix/ draws the SVG with Qt's SVG module,
// which a Windows build does without.
[[nodiscard]] QImage RenderProgramPicture(const QString& name, int size);

}  // namespace Vellumetric
