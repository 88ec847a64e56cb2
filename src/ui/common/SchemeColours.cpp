#include "ui/common/SchemeColours.h"

#include "system/ColourContrast.h"

namespace Vellumetric {

TSchemeColours TSchemeColours::For(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  const TRgb rgb{static_cast<std::uint8_t>(base.red()), static_cast<std::uint8_t>(base.green()),
                 static_cast<std::uint8_t>(base.blue())};
  if (IsLightColour(rgb)) return {Qt::white, QColor(240, 240, 240), Qt::black};
  return {base, palette.color(QPalette::Window), palette.color(QPalette::Text)};
}

}  // namespace Vellumetric
