#include "treemap/TTreemapLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Vellumetric {
namespace {

constexpr std::int16_t NoGroup = TFileRecordStore::NoGroup;

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
  SumBytes();
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  Folders.assign(tree.Count(), TPlaced{kNaN, kNaN, kNaN, kNaN});
  if (root < tree.Count() && Bytes[root] > 0 && bounds.Width() > 0 && bounds.Height() > 0) {
    const TFolderFileIndex folderFiles(files, tree.Count());
    FolderFiles = &folderFiles;
    LayOut(root, bounds);
    FolderFiles = nullptr;
  }
  // The layout is kept as long as its map is shown; these sums are not needed by then.
  std::vector<std::uint64_t>().swap(Bytes);
}

void TTreemapLayout::LayOut(TNodeId root, const TTreemapRect& bounds) {
  // An explicit stack: a chain of folders thousands deep must not exhaust the thread's stack.
  std::vector<TPending> stack;
  TItem rootItem{static_cast<double>(Bytes[root]), root, TTreemapTileKind::Folder, false, NoGroup};
  Place(rootItem, bounds, TPending{NoNode, bounds, TCushion{}, -1}, stack);
  while (!stack.empty()) {
    const TPending next = stack.back();
    stack.pop_back();
    SplitFolder(next, stack);
  }
}

bool TTreemapLayout::FolderRect(TNodeId folder, TTreemapRect& rect) const {
  if (folder >= Folders.size() || std::isnan(Folders[folder].X0)) return false;
  const TPlaced& p = Folders[folder];
  rect = {p.X0, p.Y0, p.X1, p.Y1};
  return true;
}

// Folder ids grow from parent to child, so one backward pass adds every folder into its parent.
void TTreemapLayout::SumBytes() {
  Bytes.assign(Tree->Count(), 0);
  for (TFileId f = 0; f < Files->Count(); ++f) {
    const TFileRecord& r = Files->Record(f);
    if (r.Folder < Bytes.size()) Bytes[r.Folder] += r.Size;
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
    EmitTile(folder.Rect, folder.Cushion,
             TItem{static_cast<double>(Bytes[folder.Folder]), folder.Folder,
                   TTreemapTileKind::Folder, true, NoGroup});
    return;
  }
  if (Options.Squarified) {
    Squarify(folder.Rect, scale);
  } else {
    SliceAndDice(folder.Rect, scale, folder.Depth % 2 == 0);
  }
  for (std::size_t i = 0; i < Items.size(); ++i) Place(Items[i], ItemRects[i], folder, stack);
}

// The folder's subfolders and files of more than zero bytes, largest first (ties in id order, so
// the same scan always gives the same map). Those that would get less than the minimum area are
// merged into one block, which takes its place by size among the rest.
void TTreemapLayout::GatherItems(TNodeId folder, double scale) {
  Items.clear();
  for (TNodeId c = Tree->FirstChild(folder); c != NoNode; c = Tree->NextSibling(c)) {
    if (Bytes[c] > 0) {
      Items.push_back({static_cast<double>(Bytes[c]), c, TTreemapTileKind::Folder, false, NoGroup});
    }
  }
  for (const TFileId f : FolderFiles->FilesOf(folder)) {
    const TFileRecord& r = Files->Record(f);
    if (r.Size > 0) {
      Items.push_back({static_cast<double>(r.Size), f, TTreemapTileKind::File, false, r.Group});
    }
  }
  // Only what is big enough is sorted: a folder of thousands of tiny files costs one pass.
  const auto small = std::partition(Items.begin(), Items.end(), [&](const TItem& item) {
    return item.Weight * scale >= Options.MinArea;
  });
  std::sort(Items.begin(), small, [](const TItem& a, const TItem& b) {
    if (a.Weight != b.Weight) return a.Weight > b.Weight;
    if (a.Kind != b.Kind) return a.Kind == TTreemapTileKind::Folder;
    return a.Id < b.Id;
  });
  if (small == Items.end()) return;
  if (small == Items.begin()) {  // nothing big enough: the folder is one block
    Items.clear();
    return;
  }
  double rest = 0;
  for (auto it = small; it != Items.end(); ++it) rest += it->Weight;
  Items.erase(small, Items.end());
  const TItem block{rest, folder, TTreemapTileKind::Folder, true, NoGroup};
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
    Folders[item.Id] = {static_cast<float>(rect.X0), static_cast<float>(rect.Y0),
                        static_cast<float>(rect.X1), static_cast<float>(rect.Y1)};
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

void TTreemapLayout::EmitTile(const TTreemapRect& rect, const TCushion& cushion,
                              const TItem& item) {
  TileList.push_back({static_cast<float>(rect.X0), static_cast<float>(rect.Y0),
                      static_cast<float>(rect.X1), static_cast<float>(rect.Y1),
                      static_cast<float>(cushion.S1x), static_cast<float>(cushion.S2x),
                      static_cast<float>(cushion.S1y), static_cast<float>(cushion.S2y), item.Id,
                      item.Kind, item.Group, static_cast<std::uint64_t>(item.Weight)});
}

}  // namespace Vellumetric
