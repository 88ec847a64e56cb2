#pragma once

#include <QPainter>

namespace Vellumetric {

// One frame of the scan sweep for a client area of `width` x `height` (the sizes taken when the
// window was made) with the hand at `angle` degrees, clockwise from the positive x axis: the
// gradient disc, its outline, the hand and the two translucent wedges trailing behind it, on a
// `background` of the panel's colour.
void PaintScanSweep(QPainter& painter, double width, double height, int angle,
                    const QColor& background = Qt::white);

// The next hand position: ten degrees on, 0 again after 360.
[[nodiscard]] constexpr int NextSweepAngle(int angle) noexcept {
  return angle + 10 > 360 ? 0 : angle + 10;
}

}  // namespace Vellumetric
