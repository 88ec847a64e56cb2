#pragma once

#include <QColor>
#include <QPalette>

namespace Vellumetric {

// The colours of the program's own painted panels under the user's colour scheme. In a light
// scheme they are the program's fixed colours (a white panel, a light grey strip, black text), so
// the windows look as they always did; in a dark or high-contrast scheme they are the scheme's
// own colours for the same purposes, so no white panel glares out of a dark desktop.
struct TSchemeColours {
  QColor Panel;      // white: behind the drive tiles and the scan's sweep (the scheme's Base)
  QColor Strip;      // light grey: the strip with the scan's Cancel (the scheme's Window)
  QColor PanelText;  // black: text on Panel (the scheme's Text)

  [[nodiscard]] static TSchemeColours For(const QPalette& palette);
};

}  // namespace Vellumetric
