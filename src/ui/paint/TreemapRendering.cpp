#include "ui/paint/TreemapRendering.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace Vellumetric {
namespace {

// Light from the upper left and a little in front; a quarter of the light is ambient, so even a
// cushion's far slope keeps its colour recognisable. The gain lets gentle slopes and flat tops
// show their colour at full strength; the light is capped at 1 so a colour's hue never shifts.
constexpr float kAmbient = 0.25f;
constexpr float kDiffuse = 0.75f;
constexpr float kGain = 1.3f;
const float kLightLength = std::sqrt(1.0f + 1.0f + 10.0f * 10.0f);
const float kLx = -1.0f / kLightLength;
const float kLy = -1.0f / kLightLength;
const float kLz = 10.0f / kLightLength;

// Pixels whose centre lies in [lo, hi), within [0, limit).
void PixelSpan(float lo, float hi, int from, int limit, int& first, int& end) {
  first = std::max(from, static_cast<int>(std::ceil(lo - 0.5f)));
  end = std::min(limit, static_cast<int>(std::ceil(hi - 0.5f)));
}

// The image's pixels, taken once: QImage's own accessors may not be called
// from two threads at once.
struct TCanvas {
  uchar* Bits;
  qsizetype BytesPerLine;
  int Width;
  int Height;
};

// Paints the rows [rowFrom, rowTo) of one tile.
void PaintTile(const TTreemapTile& t, QRgb colour, int rowFrom, int rowTo, const TCanvas& out) {
  const int width = out.Width;
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  PixelSpan(t.X0, t.X1, 0, width, x0, x1);
  PixelSpan(t.Y0, t.Y1, rowFrom, rowTo, y0, y1);
  if (x0 >= x1 || y0 >= y1) return;
  const float r = static_cast<float>(qRed(colour));
  const float g = static_cast<float>(qGreen(colour));
  const float b = static_cast<float>(qBlue(colour));
  for (int y = y0; y < y1; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.Bits + y * out.BytesPerLine);
    const float ny = -(2.0f * t.S2y * (static_cast<float>(y) + 0.5f) + t.S1y);
    const float lightY = ny * kLy + kLz;
    const float ny2 = ny * ny + 1.0f;
    for (int x = x0; x < x1; ++x) {
      const float nx = -(2.0f * t.S2x * (static_cast<float>(x) + 0.5f) + t.S1x);
      const float cosine = (nx * kLx + lightY) / std::sqrt(nx * nx + ny2);
      const float light = std::min(1.0f, kGain * (kAmbient + kDiffuse * std::max(0.0f, cosine)));
      line[x] = qRgb(static_cast<int>(r * light), static_cast<int>(g * light),
                     static_cast<int>(b * light));
    }
  }
}

void PaintRows(const TTreemapLayout& layout, const TTreemapColours& colours, int rowFrom, int rowTo,
               const TCanvas& out) {
  const auto& tiles = layout.Tiles();
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const TTreemapTile& t = tiles[i];
    if (t.Y1 < static_cast<float>(rowFrom) || t.Y0 > static_cast<float>(rowTo)) continue;
    PaintTile(t, TileColour(t, colours, *layout.FileRecords()), rowFrom, rowTo, out);
  }
}

}  // namespace

std::uint32_t TileIndexAt(const TTreemapLayout& layout, QSize size, int x, int y) {
  if (x < 0 || y < 0 || x >= size.width() || y >= size.height()) return NoTile;
  const auto& tiles = layout.Tiles();
  for (std::size_t i = tiles.size(); i-- > 0;) {
    const TTreemapTile& t = tiles[i];
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    PixelSpan(t.X0, t.X1, 0, size.width(), x0, x1);
    PixelSpan(t.Y0, t.Y1, 0, size.height(), y0, y1);
    if (x >= x0 && x < x1 && y >= y0 && y < y1) return static_cast<std::uint32_t>(i);
  }
  return NoTile;
}

QRgb TileColour(const TTreemapTile& tile, const TTreemapColours& colours,
                const TFileRecordStore& files) {
  if (tile.Kind() != TTreemapTileKind::File) return colours.Block();
  return colours.ForFile(files, tile.Id());
}

TTreemapPicture RenderTreemap(const TTreemapLayout& layout, const TTreemapColours& colours,
                              QSize size) {
  TTreemapPicture out;
  if (size.isEmpty() || layout.FileRecords() == nullptr) return out;
  out.Image = QImage(size, QImage::Format_RGB32);
  out.Image.fill(QColor(Qt::white));
  // Each thread owns whole rows, so no pixel is written by both.
  const TCanvas canvas{out.Image.bits(), out.Image.bytesPerLine(), size.width(), size.height()};
  const int middle = size.height() / 2;
  std::thread lower([&] { PaintRows(layout, colours, middle, size.height(), canvas); });
  PaintRows(layout, colours, 0, middle, canvas);
  lower.join();
  return out;
}

}  // namespace Vellumetric
