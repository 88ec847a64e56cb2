#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>

#include "ui/paint/TTreemapColours.h"

namespace Vellumetric {

// The legend strip under the map: a swatch and the name of every colour of `colours`, left to
// right in a strip `width` pixels wide, wrapping to a new line where an entry does not fit.

// The strip's height for the font `fm`; 0 without entries.
[[nodiscard]] int TreemapLegendHeight(const QFontMetrics& fm, const TTreemapColours& colours,
                                      int width);

// Paints the legend into `strip` with the painter's font, its names in `textColour`.
void PaintTreemapLegend(QPainter& painter, const QRect& strip, const TTreemapColours& colours,
                        const QColor& textColour);

}  // namespace Vellumetric
