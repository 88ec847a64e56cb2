#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <cstdint>

namespace Vellumetric {

// Role under which a model gives a row's share bar width in pixels (0 to 160), or nothing for a
// row without a bar.
inline constexpr int ShareBarRole = Qt::UserRole + 1;

// The share bar in a cell's content rectangle `cell`, `width` pixels long: a grey outline filled
// light green, with one vertical line per pixel column whose blue rises by one up to 254. The
// row's text is drawn over it in `text`: where that colour is too light to read on these colours
// (a dark scheme's white), the whole bar is darkened by one share, just enough that the text
// keeps a contrast of 4.5:1 on every part of it. Black text leaves the bar as it is.
void PaintShareBar(QPainter& painter, const QRect& cell, double width,
                   const QColor& text = Qt::black);

// Width of the bar of a part `size` of `whole` (extended precision, then single as the bar
// maths has always been done); whole must not be 0.
[[nodiscard]] double ShareBarWidth(std::uint64_t size, std::uint64_t whole);

}  // namespace Vellumetric
