#pragma once

#include <QPainter>
#include <QRect>
#include <cstdint>

namespace Vellumetric {

// Role under which a model gives a row's share bar width in pixels (0 to 160), or nothing for a
// row without a bar.
inline constexpr int ShareBarRole = Qt::UserRole + 1;

// The share bar in a cell's content rectangle `cell`, `width` pixels long: a grey outline filled
// light green, with one vertical line per pixel column whose blue rises by one up to 254.
void PaintShareBar(QPainter& painter, const QRect& cell, double width);

// Width of the bar of a part `size` of `whole` (extended precision, then single as the bar
// maths has always been done); whole must not be 0.
[[nodiscard]] double ShareBarWidth(std::uint64_t size, std::uint64_t whole);

}  // namespace Vellumetric
