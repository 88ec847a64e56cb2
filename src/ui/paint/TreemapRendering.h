#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <limits>
#include <vector>

#include "treemap/TTreemapLayout.h"
#include "ui/paint/TTreemapColours.h"

namespace Vellumetric {

inline constexpr std::uint32_t NoTile = std::numeric_limits<std::uint32_t>::max();

// A rendered map: the shaded image and, for every pixel, the index of the layout tile painted
// there (NoTile where none is), so a pointer position finds its file in constant time.
struct TTreemapPicture {
  QImage Image;
  std::vector<std::uint32_t> TileAt;

  [[nodiscard]] std::uint32_t TileIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= Image.width() || y >= Image.height()) return NoTile;
    return TileAt[static_cast<std::size_t>(y) * static_cast<std::size_t>(Image.width()) +
                  static_cast<std::size_t>(x)];
  }
};

// Paints every tile of `layout` into an image of `size` pixels (the layout's bounds are in the
// same pixels): the tile's colour (its file's group, or the block grey) lit by its cushion. A
// pixel belongs to the tile that holds its centre. The two halves of the image are painted on
// two threads. Safe on any thread: touches no shared Qt state.
[[nodiscard]] TTreemapPicture RenderTreemap(const TTreemapLayout& layout,
                                            const TTreemapColours& colours, QSize size);

// The colour a tile is painted in before shading.
[[nodiscard]] QRgb TileColour(const TTreemapTile& tile, const TTreemapColours& colours);

}  // namespace Vellumetric
