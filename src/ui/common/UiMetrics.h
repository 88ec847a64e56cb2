#pragma once

#include <QFont>

#include "system/DisplayScaling.h"

namespace Vellumetric {

// The windows' font family, "Tahoma", falling back to the platform's sans-serif where it is not
// installed; sizes in points, so the screen's resolution scales them.
[[nodiscard]] inline QFont TahomaFont(double points, bool bold = false) {
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// A length of a window laid out at 120 (or 96) pixels per inch, on this screen.
[[nodiscard]] inline int Scaled(int designPixels, int dpi, int designDpi = 120) {
  return ScaleToScreen(designPixels, dpi, designDpi);
}

}  // namespace Vellumetric
