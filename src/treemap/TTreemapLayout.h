#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TFolderFileIndex.h"

namespace Vellumetric {

// An axis-aligned rectangle by its edges, in pixels (x to the right, y down).
struct TTreemapRect {
  double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  [[nodiscard]] double Width() const noexcept { return X1 - X0; }
  [[nodiscard]] double Height() const noexcept { return Y1 - Y0; }
  [[nodiscard]] double Area() const noexcept { return Width() * Height(); }
};

enum class TTreemapTileKind : std::uint8_t {
  File,    // one file; Id is its file id
  Folder,  // a folder, or the part of it holding files too small to show, as one block; Id is
           // the folder's node id
};

// One painted rectangle of the map. Neighbouring tiles share their edge values exactly, so a
// renderer that gives each pixel to the tile holding its centre leaves no gaps. The cushion is
// the surface z = S2x x^2 + S1x x + S2y y^2 + S1y y that the nested ridges add up to over it.
// 36 bytes: a map holds one per file big enough to show, tens of thousands at once. A file's size
// and group are read from its record, a block's bytes from the layout (TileBytes).
struct TTreemapTile {
  float X0, Y0, X1, Y1;
  float S1x, S2x, S1y, S2y;
  // The id with the kind in its top bit.
  std::uint32_t Ref;

  static constexpr std::uint32_t BlockBit = 0x80000000u;
  // The largest id a tile can carry.
  static constexpr std::uint32_t MaxId = BlockBit - 1;

  [[nodiscard]] std::uint32_t Id() const noexcept { return Ref & MaxId; }
  [[nodiscard]] TTreemapTileKind Kind() const noexcept {
    return (Ref & BlockBit) != 0 ? TTreemapTileKind::Folder : TTreemapTileKind::File;
  }
};

// Grown in blocks: a vector's doubling would hold the old and the new array at once, three
// times the final list at its peak, while the window keeps the shown map beside the one being
// laid out.
using TTreemapTiles = std::deque<TTreemapTile>;

struct TTreemapOptions {
  // Anything that would get less area than this (square pixels) is not laid out on its own: it
  // joins its folder's block.
  double MinArea = 1.0;
  // Squarified rows; false gives the classic slice-and-dice (alternating direction per level).
  bool Squarified = true;
  // The cushion ridge of the outermost rectangle, and the factor each level down scales it by.
  double RidgeHeight = 0.3;
  double RidgeFalloff = 0.88;
  // The bytes a file's area stands for: what it holds, or what it takes on disk.
  TMeasure Measure = TMeasure::Size;
  // Looked at every few thousand records and folders: once raised, the layout ends early with
  // no tiles (a map no longer wanted is not laid out to its end while the window waits for it).
  const std::atomic<bool>* Stop = nullptr;
};

// The treemap of a folder tree with its files as leaves: each folder's rectangle is split among
// its subfolders and files in proportion to the bytes of files below them (by the options'
// measure). Pure geometry: no colours, no painting.
class TTreemapLayout {
 public:
  // Lays out `root` of `tree` (with the files of `files`) inside `bounds`. Folders and files of
  // zero bytes get no area; a root of zero bytes gives no tiles.
  void Build(const TFolderTree& tree, const TFileRecordStore& files, TNodeId root,
             const TTreemapRect& bounds, const TTreemapOptions& options = {});

  [[nodiscard]] const TTreemapTiles& Tiles() const noexcept { return TileList; }
  [[nodiscard]] const TTreemapRect& Bounds() const noexcept { return Area; }
  [[nodiscard]] TMeasure Measure() const noexcept { return Options.Measure; }
  // The last Build() ended early at the options' stop flag.
  [[nodiscard]] bool Stopped() const noexcept { return WasStopped; }
  // The records the last Build() laid out (null before the first).
  [[nodiscard]] const TFileRecordStore* FileRecords() const noexcept { return Files; }
  // The rectangle a folder was given; false for a folder that got no area of its own (outside
  // the root, empty, or merged into its parent's block).
  [[nodiscard]] bool FolderRect(TNodeId folder, TTreemapRect& rect) const;
  // The bytes a tile stands for by the layout's measure: its file's, or all the files' of a
  // block. Reads the tree and the records the layout was built from.
  [[nodiscard]] std::uint64_t TileBytes(const TTreemapTile& tile) const;

 private:
  struct TItem {
    double Weight;
    std::uint32_t Id;
    TTreemapTileKind Kind;
    bool Rest;  // the files and folders too small to show, together
  };
  struct TCushion {
    double S1x = 0, S2x = 0, S1y = 0, S2y = 0;
  };
  struct TPending {
    TNodeId Folder;
    TTreemapRect Rect;
    TCushion Cushion;
    int Depth;
  };
  // A folder that got a rectangle, found by node id. A folder shown as one block has its
  // rectangle and bytes in that tile (Ref: the tile's index with the top bit set); a folder split
  // further has them in Split (Ref: the index there). Most folders of a big scan are blocks, so
  // this keeps 8 bytes for them where a rectangle per folder of the tree would take 16 for all.
  struct TPlaced {
    TNodeId Folder;
    std::uint32_t Ref;
  };
  struct TSplit {
    float X0, Y0, X1, Y1;
    std::uint64_t RestBytes;  // of its block of files too small to show, 0 without one
  };
  [[nodiscard]] const TPlaced* FindPlaced(TNodeId folder) const;
  [[nodiscard]] bool StopRaised() const noexcept {
    return Options.Stop != nullptr && Options.Stop->load(std::memory_order_relaxed);
  }
  [[nodiscard]] std::uint64_t BytesBelow(TNodeId folder) const;

  void SumBytes();
  [[nodiscard]] std::uint64_t SmallestTileFile(const TTreemapRect& bounds, TNodeId root) const;
  void LayOut(TNodeId root, const TTreemapRect& bounds);
  void GatherItems(TNodeId folder, double scale);
  void SplitFolder(const TPending& folder, std::vector<TPending>& stack);
  void Place(const TItem& item, const TTreemapRect& rect, const TPending& parent,
             std::vector<TPending>& stack);
  void Squarify(const TTreemapRect& rect, double scale);
  void SliceAndDice(const TTreemapRect& rect, double scale, bool horizontal);
  std::uint32_t EmitTile(const TTreemapRect& rect, const TCushion& cushion, const TItem& item);

  const TFolderTree* Tree = nullptr;
  const TFileRecordStore* Files = nullptr;
  const TFolderFileIndex* FolderFiles = nullptr;  // only while laying out
  TTreemapOptions Options;
  bool WasStopped = false;
  TTreemapRect Area;
  // Bytes of the files below each folder, at every depth: needed only while laying out.
  std::vector<std::uint64_t> Bytes;
  // Deques, not vectors: grown without the old-plus-new copy while laying out.
  std::deque<TPlaced> Placed;  // sorted by folder once laid out
  std::deque<TSplit> Split;
  TTreemapTiles TileList;
  std::vector<double> RidgeHeights;     // per depth
  std::vector<TItem> Items;             // the folder being split, largest first
  std::vector<TTreemapRect> ItemRects;  // what Squarify/SliceAndDice gave each item
};

}  // namespace Vellumetric
