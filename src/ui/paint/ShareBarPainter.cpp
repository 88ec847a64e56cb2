#include "ui/paint/ShareBarPainter.h"

#include "system/ColourContrast.h"

namespace Vellumetric {

namespace {

// Every colour the bar is drawn in: its outline and the two ends of its fill.
constexpr TRgb kBarColours[] = {{128, 128, 128}, {199, 236, 136}, {199, 236, 254}};

TRgb Rgb(const QColor& c) {
  return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
          static_cast<std::uint8_t>(c.blue())};
}

}  // namespace

void PaintShareBar(QPainter& painter, const QRect& cell, double width, const QColor& text) {
  const int left = cell.x();
  const int top = cell.y();
  const int bottom = cell.y() + cell.height();  // excluded, as the bar's rectangle is drawn
  const int right = static_cast<int>(left + width);
  if (right <= left || bottom <= top) return;
  TRgb towards;
  const double mix = MixForReadableText(kBarColours, Rgb(text), towards);
  const auto colour = [&](int r, int g, int b) {
    if (mix == 0.0) return QColor(r, g, b);
    const TRgb c = MixColour(
        {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)},
        towards, mix);
    return QColor(c.R, c.G, c.B);
  };
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(left, top, right - left, bottom - top), colour(128, 128, 128));
  if (right - left > 2 && bottom - top > 2) {
    painter.fillRect(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2),
                     colour(199, 236, 136));
  }
  int blue = 136;
  const int end = static_cast<int>(left + width - 1);
  for (int x = left + 1; x < end; ++x) {
    if (blue + 1 < 255) ++blue;
    if (bottom - 1 > top + 1) {
      painter.fillRect(QRect(x, top + 1, 1, bottom - top - 2), colour(199, 236, blue));
    }
  }
  painter.restore();
}

double ShareBarWidth(std::uint64_t size, std::uint64_t whole) {
  const long double w = static_cast<long double>(size) * 160 / static_cast<long double>(whole);
  return static_cast<float>(w);
}

}  // namespace Vellumetric
