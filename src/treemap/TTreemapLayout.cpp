#include "treemap/TTreemapLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Vellumetric {
namespace {

// Placed::Ref of a folder shown as one block: the index of that tile.
constexpr std::uint32_t kTileRef = 0x80000000u;

// Records or folders between two looks at the stop flag: a look costs an atomic load, and this
// many take well under a millisecond.
constexpr std::size_t kStopCheckInterval = 4096;

// One parabolic ridge across [lo, hi] of height h, added to the coefficients of one axis.
void AddRidge(double lo, double hi, double h, double& s1, double& s2) {
  const double width = hi - lo;
  if (width <= 0) return;
  s1 += 4 * h * (hi + lo) / width;
  s2 -= 4 * h / width;
}

// The worst aspect ratio of a row of areas (largest `big`, smallest `small`, sum `sum`) laid
// along a side of length `side`.
double WorstAspect(double big, double small, double sum, double side) {
  const double s2 = sum * sum;
  const double w2 = side * side;
  return std::max(w2 * big / s2, s2 / (w2 * small));
}

}  // namespace

void TTreemapLayout::Build(const TFolderTree& tree, const TFileRecordStore& files, TNodeId root,
                           const TTreemapRect& bounds, const TTreemapOptions& options) {
  Options = options;
  Area = bounds;
  RidgeHeights.clear();
  Tree = &tree;
  Files = &files;
  TileList.clear();
  std::deque<TPlaced>().swap(Placed);
  std::deque<TSplit>().swap(Split);
  WasStopped = false;
  SumBytes();
  if (!WasStopped && root < tree.Count() && root <= TTreemapTile::MaxId && Bytes[root] > 0 &&
      bounds.Width() > 0 && bounds.Height() > 0) {
    const TFolderFileIndex folderFiles(files, tree.Count(), SmallestTileFile(bounds, root),
                                       Options.Measure);
    FolderFiles = &folderFiles;
    WasStopped = StopRaised();
    if (!WasStopped) LayOut(root, bounds);
    FolderFiles = nullptr;
  }
  if (WasStopped) {
    TileList.clear();
    Placed.clear();
    Split.clear();
  }
  std::sort(Placed.begin(), Placed.end(),
            [](const TPlaced& a, const TPlaced& b) { return a.Folder < b.Folder; });
  // The layout is kept as long as its map is shown; these are not needed by then.
  std::vector<std::uint64_t>().swap(Bytes);
  std::vector<TItem>().swap(Items);
  std::vector<TTreemapRect>().swap(ItemRects);
}

// Every rectangle gets its share of the whole map's area: a folder's area over its bytes is the
// map's area over the root's bytes at every depth (up to rounding, as there are no margins). A
// file smaller than the size returned here would get less than half of the least area a tile
// may have wherever it lies, so it can only join its folder's block: the index leaves it out and
// GatherItems counts it by difference, which keeps the index to the files that may be shown.
std::uint64_t TTreemapLayout::SmallestTileFile(const TTreemapRect& bounds, TNodeId root) const {
  const double bytesPerArea = static_cast<double>(Bytes[root]) / bounds.Area();
  const double size = Options.MinArea / 2 * bytesPerArea;
  if (!(size > 1)) return 0;  // NaN too: then every file is indexed
  constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
  if (size >= static_cast<double>(kMax)) return kMax;
  return static_cast<std::uint64_t>(size);
}

void TTreemapLayout::LayOut(TNodeId root, const TTreemapRect& bounds) {
  // An explicit stack: a chain of folders thousands deep must not exhaust the thread's stack.
  std::vector<TPending> stack;
  TItem rootItem{static_cast<double>(Bytes[root]), root, TTreemapTileKind::Folder, false};
  Place(rootItem, bounds, TPending{NoNode, bounds, TCushion{}, -1}, stack);
  for (std::size_t done = 1; !stack.empty(); ++done) {
    if (done % kStopCheckInterval == 0 && StopRaised()) {
      WasStopped = true;
      return;
    }
    const TPending next = stack.back();
    stack.pop_back();
    SplitFolder(next, stack);
  }
}

const TTreemapLayout::TPlaced* TTreemapLayout::FindPlaced(TNodeId folder) const {
  const auto it = std::lower_bound(Placed.begin(), Placed.end(), folder,
                                   [](const TPlaced& p, TNodeId id) { return p.Folder < id; });
  return it != Placed.end() && it->Folder == folder ? &*it : nullptr;
}

bool TTreemapLayout::FolderRect(TNodeId folder, TTreemapRect& rect) const {
  const TPlaced* p = FindPlaced(folder);
  if (p == nullptr) return false;
  if ((p->Ref & kTileRef) != 0) {
    const TTreemapTile& t = TileList[p->Ref & ~kTileRef];
    rect = {t.X0, t.Y0, t.X1, t.Y1};
  } else {
    const TSplit& s = Split[p->Ref];
    rect = {s.X0, s.Y0, s.X1, s.Y1};
  }
  return true;
}

std::uint64_t TTreemapLayout::TileBytes(const TTreemapTile& tile) const {
  if (tile.Kind() == TTreemapTileKind::File) {
    return Files->Record(tile.Id()).Bytes(Options.Measure);
  }
  const TPlaced* p = FindPlaced(tile.Id());
  if (p == nullptr) return 0;  // not a tile of this layout
  if ((p->Ref & kTileRef) == 0) return Split[p->Ref].RestBytes;
  // The whole folder is the block: summed again here rather than kept for every such block, as
  // the layout had it (through a double).
  return static_cast<std::uint64_t>(static_cast<double>(BytesBelow(tile.Id())));
}

// Asked for one tile at a time (a tooltip): a pass over all records takes under a millisecond
// for 400,000 files, where an index of each folder's files kept beside the map would cost
// megabytes.
std::uint64_t TTreemapLayout::BytesBelow(TNodeId folder) const {
  std::vector<bool> inside(Tree->Count(), false);
  std::vector<TNodeId> pending{folder};
  while (!pending.empty()) {
    const TNodeId n = pending.back();
    pending.pop_back();
    inside[n] = true;
    for (TNodeId c = Tree->FirstChild(n); c != NoNode; c = Tree->NextSibling(c)) {
      pending.push_back(c);
    }
  }
  std::uint64_t sum = 0;
  for (TFileId f = 0; f < Files->Count(); ++f) {
    const TFileRecord& r = Files->Record(f);
    if (r.Folder < inside.size() && inside[r.Folder]) sum += r.Bytes(Options.Measure);
  }
  return sum;
}

// Folder ids grow from parent to child, so one backward pass adds every folder into its parent.
void TTreemapLayout::SumBytes() {
  Bytes.assign(Tree->Count(), 0);
  for (TFileId f = 0; f < Files->Count(); ++f) {
    if (f % kStopCheckInterval == 0 && StopRaised()) {
      WasStopped = true;
      return;
    }
    const TFileRecord& r = Files->Record(f);
    if (r.Folder < Bytes.size()) Bytes[r.Folder] += r.Bytes(Options.Measure);
  }
  for (std::size_t id = Tree->Count(); id-- > 0;) {
    const TNodeId parent = Tree->Parent(static_cast<TNodeId>(id));
    if (parent != NoNode) Bytes[parent] += Bytes[id];
  }
}

void TTreemapLayout::SplitFolder(const TPending& folder, std::vector<TPending>& stack) {
  const double scale = folder.Rect.Area() / static_cast<double>(Bytes[folder.Folder]);
  GatherItems(folder.Folder, scale);
  if (Items.empty()) {
    const std::uint32_t tile = EmitTile(folder.Rect, folder.Cushion,
                                        TItem{static_cast<double>(Bytes[folder.Folder]),
                                              folder.Folder, TTreemapTileKind::Folder, true});
    Placed.push_back({folder.Folder, tile | kTileRef});
    return;
  }
  const TTreemapRect& r = folder.Rect;
  Placed.push_back({folder.Folder, static_cast<std::uint32_t>(Split.size())});
  Split.push_back({static_cast<float>(r.X0), static_cast<float>(r.Y0), static_cast<float>(r.X1),
                   static_cast<float>(r.Y1), 0});
  if (Options.Squarified) {
    Squarify(folder.Rect, scale);
  } else {
    SliceAndDice(folder.Rect, scale, folder.Depth % 2 == 0);
  }
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (Items[i].Rest) Split.back().RestBytes = static_cast<std::uint64_t>(Items[i].Weight);
    Place(Items[i], ItemRects[i], folder, stack);
  }
}

// The folder's subfolders and files of more than zero bytes, largest first (ties in id order, so
// the same scan always gives the same map). Those that would get less than the minimum area are
// merged into one block, which takes its place by size among the rest.
void TTreemapLayout::GatherItems(TNodeId folder, double scale) {
  Items.clear();
  // What is left once the subfolders and the indexed files are taken: the files too small to be
  // indexed, all of them bound for the block.
  std::uint64_t unindexed = Bytes[folder];
  for (TNodeId c = Tree->FirstChild(folder); c != NoNode; c = Tree->NextSibling(c)) {
    unindexed -= Bytes[c];
    if (Bytes[c] > 0) {
      Items.push_back({static_cast<double>(Bytes[c]), c, TTreemapTileKind::Folder, false});
    }
  }
  for (const TFileId f : FolderFiles->FilesOf(folder)) {
    const std::uint64_t bytes = Files->Record(f).Bytes(Options.Measure);
    unindexed -= bytes;
    if (bytes > 0) {
      Items.push_back({static_cast<double>(bytes), f, TTreemapTileKind::File, false});
    }
  }
  // Only what is big enough is sorted: a folder of thousands of tiny files costs one pass. An id
  // past what a tile can carry (over two billion files) joins the block.
  const auto small = std::partition(Items.begin(), Items.end(), [&](const TItem& item) {
    return item.Weight * scale >= Options.MinArea && item.Id <= TTreemapTile::MaxId;
  });
  std::sort(Items.begin(), small, [](const TItem& a, const TItem& b) {
    if (a.Weight != b.Weight) return a.Weight > b.Weight;
    if (a.Kind != b.Kind) return a.Kind == TTreemapTileKind::Folder;
    return a.Id < b.Id;
  });
  if (small == Items.end() && unindexed == 0) return;
  if (small == Items.begin()) {  // nothing big enough: the folder is one block
    Items.clear();
    return;
  }
  auto rest = static_cast<double>(unindexed);
  for (auto it = small; it != Items.end(); ++it) rest += it->Weight;
  Items.erase(small, Items.end());
  const TItem block{rest, folder, TTreemapTileKind::Folder, true};
  const auto at =
      std::upper_bound(Items.begin(), Items.end(), block,
                       [](const TItem& a, const TItem& b) { return a.Weight > b.Weight; });
  Items.insert(at, block);
}

void TTreemapLayout::Place(const TItem& item, const TTreemapRect& rect, const TPending& parent,
                           std::vector<TPending>& stack) {
  const int depth = parent.Depth + 1;
  while (RidgeHeights.size() <= static_cast<std::size_t>(depth)) {
    RidgeHeights.push_back(RidgeHeights.empty() ? Options.RidgeHeight
                                                : RidgeHeights.back() * Options.RidgeFalloff);
  }
  const double h = RidgeHeights[static_cast<std::size_t>(depth)];
  TCushion cushion = parent.Cushion;
  AddRidge(rect.X0, rect.X1, h, cushion.S1x, cushion.S2x);
  AddRidge(rect.Y0, rect.Y1, h, cushion.S1y, cushion.S2y);
  if (item.Rest || item.Kind == TTreemapTileKind::File) {
    EmitTile(rect, cushion, item);
  } else {
    stack.push_back({item.Id, rect, cushion, depth});
  }
}

// Bruls, Huizing and van Wijk: fill rows along the shorter side of what is left, adding items to
// a row while its worst aspect ratio improves. Edges are cumulative sums and the last edge of a
// row or of the rectangle is the exact border, so neighbours share their edge values.
void TTreemapLayout::Squarify(const TTreemapRect& rect, double scale) {
  const std::size_t n = Items.size();
  ItemRects.assign(n, rect);
  TTreemapRect r = rect;
  std::size_t start = 0;
  while (start < n) {
    const bool wide = r.Width() >= r.Height();
    const double side = wide ? r.Height() : r.Width();
    const double first = Items[start].Weight * scale;
    double sum = first;
    std::size_t end = start + 1;
    double worst = WorstAspect(first, first, sum, side);
    for (; end < n; ++end) {
      const double a = Items[end].Weight * scale;
      const double next = WorstAspect(first, a, sum + a, side);
      if (next > worst) break;
      worst = next;
      sum += a;
    }
    const bool last = end == n;
    const double thickness = side > 0 ? sum / side : 0;
    double along = 0;
    if (wide) {
      const double x1 = last ? r.X1 : std::min(r.X1, r.X0 + thickness);
      for (std::size_t i = start; i < end; ++i) {
        along += Items[i].Weight * scale;
        const double y0 = i == start ? r.Y0 : ItemRects[i - 1].Y1;
        const double y1 = i + 1 == end ? r.Y1 : std::min(r.Y1, r.Y0 + side * along / sum);
        ItemRects[i] = {r.X0, y0, x1, y1};
      }
      r.X0 = x1;
    } else {
      const double y1 = last ? r.Y1 : std::min(r.Y1, r.Y0 + thickness);
      for (std::size_t i = start; i < end; ++i) {
        along += Items[i].Weight * scale;
        const double x0 = i == start ? r.X0 : ItemRects[i - 1].X1;
        const double x1 = i + 1 == end ? r.X1 : std::min(r.X1, r.X0 + side * along / sum);
        ItemRects[i] = {x0, r.Y0, x1, y1};
      }
      r.Y0 = y1;
    }
    start = end;
  }
}

// All items side by side across the rectangle, left to right or top to bottom.
void TTreemapLayout::SliceAndDice(const TTreemapRect& rect, double scale, bool horizontal) {
  const std::size_t n = Items.size();
  ItemRects.assign(n, rect);
  double total = 0;
  for (const TItem& item : Items) total += item.Weight * scale;
  double along = 0;
  for (std::size_t i = 0; i < n; ++i) {
    along += Items[i].Weight * scale;
    TTreemapRect& r = ItemRects[i];
    if (horizontal) {
      r.X0 = i == 0 ? rect.X0 : ItemRects[i - 1].X1;
      r.X1 = i + 1 == n ? rect.X1 : rect.X0 + rect.Width() * along / total;
    } else {
      r.Y0 = i == 0 ? rect.Y0 : ItemRects[i - 1].Y1;
      r.Y1 = i + 1 == n ? rect.Y1 : rect.Y0 + rect.Height() * along / total;
    }
  }
}

std::uint32_t TTreemapLayout::EmitTile(const TTreemapRect& rect, const TCushion& cushion,
                                       const TItem& item) {
  const std::uint32_t kind = item.Kind == TTreemapTileKind::File ? 0 : TTreemapTile::BlockBit;
  TileList.push_back({static_cast<float>(rect.X0), static_cast<float>(rect.Y0),
                      static_cast<float>(rect.X1), static_cast<float>(rect.Y1),
                      static_cast<float>(cushion.S1x), static_cast<float>(cushion.S2x),
                      static_cast<float>(cushion.S1y), static_cast<float>(cushion.S2y),
                      item.Id | kind});
  return static_cast<std::uint32_t>(TileList.size() - 1);
}

}  // namespace Vellumetric
