#include "ui/paint/TreemapLegend.h"

#include <QString>
#include <vector>

namespace Vellumetric {
namespace {

constexpr int kLegendGap = 12;
constexpr int kLegendPad = 4;

std::vector<QString> LegendTexts(const TTreemapColours& colours) {
  std::vector<QString> texts;
  for (const auto& e : colours.Legend()) texts.push_back(e.Text);
  return texts;
}

// Where each legend entry goes in a strip of `width` pixels: left to right, wrapping.
std::vector<QRect> LegendBoxes(const QFontMetrics& fm, const std::vector<QString>& texts,
                               int width) {
  std::vector<QRect> boxes;
  const int h = fm.height();
  int x = kLegendPad, y = kLegendPad;
  for (const QString& text : texts) {
    const int w = h + 4 + fm.horizontalAdvance(text);
    if (x > kLegendPad && x + w > width - kLegendPad) {
      x = kLegendPad;
      y += h + kLegendPad;
    }
    boxes.emplace_back(x, y, w, h);
    x += w + kLegendGap;
  }
  return boxes;
}

}  // namespace

int TreemapLegendHeight(const QFontMetrics& fm, const TTreemapColours& colours, int width) {
  const auto boxes = LegendBoxes(fm, LegendTexts(colours), width);
  return boxes.empty() ? 0 : boxes.back().bottom() + 1 + kLegendPad;
}

void PaintTreemapLegend(QPainter& painter, const QRect& strip, const TTreemapColours& colours,
                        const QColor& textColour) {
  const std::vector<QString> texts = LegendTexts(colours);
  const auto boxes = LegendBoxes(painter.fontMetrics(), texts, strip.width());
  painter.setPen(textColour);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const QRect box = boxes[i].translated(strip.topLeft());
    const QRect swatch(box.x(), box.y() + 1, box.height() - 2, box.height() - 2);
    painter.fillRect(swatch, QColor(colours.Legend()[i].Colour));
    painter.drawText(box.adjusted(box.height() + 4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     texts[i]);
  }
}

}  // namespace Vellumetric
