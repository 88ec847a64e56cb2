#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <limits>

#include "treemap/TTreemapLayout.h"
#include "ui/paint/TTreemapColours.h"

namespace Vellumetric {

inline constexpr std::uint32_t NoTile = std::numeric_limits<std::uint32_t>::max();

// A rendered map: the shaded image.
struct TTreemapPicture {
  QImage Image;
};

// Paints every tile of `layout` into an image of `size` pixels (the layout's bounds are in the
// same pixels): the tile's colour (its file's group or extension, or the block grey) lit by its
// cushion. A
// pixel belongs to the tile that holds its centre. The two halves of the image are painted on
// two threads. Safe on any thread: touches no shared Qt state.
[[nodiscard]] TTreemapPicture RenderTreemap(const TTreemapLayout& layout,
                                            const TTreemapColours& colours, QSize size);

// The index of the tile that RenderTreemap paints at pixel (x, y) of a picture of `size` made
// from `layout`, or NoTile. Found by the painter's own rule (the tile holding the pixel's centre,
// the later one where two meet) with a walk over the tiles: an index per pixel would cost as much
// memory as the picture, and a pixel is looked up only for a click or a tooltip.
[[nodiscard]] std::uint32_t TileIndexAt(const TTreemapLayout& layout, QSize size, int x, int y);

// The colour a tile is painted in before shading; `files` are the records the layout was built
// from.
[[nodiscard]] QRgb TileColour(const TTreemapTile& tile, const TTreemapColours& colours,
                              const TFileRecordStore& files);

}  // namespace Vellumetric
