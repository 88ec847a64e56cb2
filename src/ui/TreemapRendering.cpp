#include "ui/TreemapRendering.h"

#include <algorithm>
#include <cmath>

namespace Vellumetric {
namespace {

// Light from the upper left and a little in front; a fifth of the light is ambient, so even a
// cushion's far slope keeps its colour recognisable.
constexpr double kAmbient = 0.2;
constexpr double kDiffuse = 0.8;
const double kLightLength = std::sqrt(1.0 + 1.0 + 10.0 * 10.0);
const double kLx = -1.0 / kLightLength;
const double kLy = -1.0 / kLightLength;
const double kLz = 10.0 / kLightLength;

// Pixels whose centre lies in [lo, hi).
void PixelSpan(float lo, float hi, int limit, int& first, int& end) {
  first = std::max(0, static_cast<int>(std::ceil(lo - 0.5f)));
  end = std::min(limit, static_cast<int>(std::ceil(hi - 0.5f)));
}

void PaintTile(const TTreemapTile& t, std::uint32_t index, QRgb colour, TTreemapPicture& out) {
  const int width = out.Image.width();
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  PixelSpan(t.X0, t.X1, width, x0, x1);
  PixelSpan(t.Y0, t.Y1, out.Image.height(), y0, y1);
  if (x0 >= x1 || y0 >= y1) return;
  const double r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
  for (int y = y0; y < y1; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.Image.scanLine(y));
    std::uint32_t* ids = out.TileAt.data() + static_cast<std::size_t>(y) * width;
    const double ny = -(2.0 * t.S2y * (y + 0.5) + t.S1y);
    for (int x = x0; x < x1; ++x) {
      const double nx = -(2.0 * t.S2x * (x + 0.5) + t.S1x);
      const double cosine = (nx * kLx + ny * kLy + kLz) / std::sqrt(nx * nx + ny * ny + 1.0);
      const double light = kAmbient + kDiffuse * std::max(0.0, cosine);
      line[x] = qRgb(std::min(255, static_cast<int>(r * light)),
                     std::min(255, static_cast<int>(g * light)),
                     std::min(255, static_cast<int>(b * light)));
      ids[x] = index;
    }
  }
}

}  // namespace

QRgb TileColour(const TTreemapTile& tile, const TFileRecordStore& files,
                const TTreemapColours& colours) {
  return tile.Kind == TTreemapTileKind::File ? colours.ForGroup(files.Group(tile.Id))
                                             : colours.Block();
}

TTreemapPicture RenderTreemap(const TTreemapLayout& layout, const TFileRecordStore& files,
                              const TTreemapColours& colours, QSize size) {
  TTreemapPicture out;
  if (size.isEmpty()) return out;
  out.Image = QImage(size, QImage::Format_RGB32);
  out.Image.fill(QColor(Qt::white));
  out.TileAt.assign(static_cast<std::size_t>(size.width()) * size.height(), NoTile);
  const auto& tiles = layout.Tiles();
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    PaintTile(tiles[i], static_cast<std::uint32_t>(i), TileColour(tiles[i], files, colours), out);
  }
  return out;
}

}  // namespace Vellumetric
