#include "history/TScanDiff.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace Vellumetric {
namespace {

// A subfolder explains its parent's change when it moved the same way by this share or more.
constexpr long double kExplainedShare = 0.9L;

// The largest growth and the largest shrink among a folder's direct subfolders.
struct TChildExtremes {
  std::int64_t Growth = 0;
  std::int64_t Shrink = 0;
  void Add(std::int64_t change) {
    Growth = std::max(Growth, change);
    Shrink = std::min(Shrink, change);
  }
};

// Both sides are spelled from the same root text, so equal folders have equal paths.
std::vector<std::string> FolderPaths(const TScanSnapshot& scan, const std::string& root,
                                     TPathStyle style) {
  std::vector<std::string> paths(scan.Folders.size());
  for (std::size_t i = 0; i < scan.Folders.size(); ++i) {
    const TSnapshotFolder& f = scan.Folders[i];
    paths[i] = f.Parent == NoNode ? root : ChildPath(style, paths[f.Parent], f.Name);
  }
  return paths;
}

void Classify(TScanDiff& diff, const std::string& path, std::uint64_t before, std::uint64_t after,
              const TChildExtremes& children) {
  const TFolderChange change{path, before, after};
  const auto delta = static_cast<long double>(change.Change());
  if (delta > 0 && static_cast<long double>(children.Growth) < kExplainedShare * delta) {
    diff.Growth.push_back(change);
  } else if (delta < 0 && static_cast<long double>(children.Shrink) > kExplainedShare * delta) {
    diff.Shrink.push_back(change);
  }
}

template <class Key>
void SortAndCut(std::vector<TFolderChange>& list, std::size_t& count, std::size_t top, Key key) {
  count = list.size();
  std::sort(list.begin(), list.end(), [&](const TFolderChange& a, const TFolderChange& b) {
    const auto ka = key(a);
    const auto kb = key(b);
    return ka != kb ? ka > kb : a.Path < b.Path;
  });
  if (list.size() > top) list.resize(top);
}

}  // namespace

TScanDiff DiffScans(const TScanSnapshot& before, const TScanSnapshot& after, std::size_t top,
                    TPathStyle style) {
  TScanDiff diff;
  diff.TotalChange = static_cast<std::int64_t>(after.Size) - static_cast<std::int64_t>(before.Size);
  const std::vector<std::string> pathsB = FolderPaths(before, after.Root, style);
  const std::vector<std::string> pathsA = FolderPaths(after, after.Root, style);
  std::unordered_map<std::string_view, std::uint32_t> indexB;
  indexB.reserve(pathsB.size());
  for (std::size_t j = 0; j < pathsB.size(); ++j) indexB.emplace(pathsB[j], j);

  std::vector<std::uint32_t> matchA(pathsA.size(), NoNode);
  std::vector<std::uint32_t> matchB(pathsB.size(), NoNode);
  for (std::size_t i = 0; i < pathsA.size(); ++i) {
    const auto it = indexB.find(pathsA[i]);
    if (it == indexB.end()) continue;
    matchA[i] = it->second;
    matchB[it->second] = static_cast<std::uint32_t>(i);
  }
  const auto sizeBefore = [&](std::size_t i) {
    return matchA[i] == NoNode ? std::uint64_t{0} : before.Folders[matchA[i]].Size;
  };

  std::vector<TChildExtremes> childrenA(pathsA.size());
  std::vector<TChildExtremes> childrenB(pathsB.size());
  for (std::size_t i = 0; i < pathsA.size(); ++i) {
    const std::uint32_t parent = after.Folders[i].Parent;
    const auto change = static_cast<std::int64_t>(after.Folders[i].Size - sizeBefore(i));
    if (parent != NoNode) childrenA[parent].Add(change);
  }
  for (std::size_t j = 0; j < pathsB.size(); ++j) {
    const std::uint32_t parent = before.Folders[j].Parent;
    if (matchB[j] != NoNode || parent == NoNode) continue;
    const auto change = -static_cast<std::int64_t>(before.Folders[j].Size);
    if (matchB[parent] != NoNode) {
      childrenA[matchB[parent]].Add(change);
    } else {
      childrenB[parent].Add(change);
    }
  }

  for (std::size_t i = 0; i < pathsA.size(); ++i) {
    Classify(diff, pathsA[i], sizeBefore(i), after.Folders[i].Size, childrenA[i]);
    const std::uint32_t parent = after.Folders[i].Parent;
    if (matchA[i] == NoNode && parent != NoNode && matchA[parent] != NoNode) {
      diff.Added.push_back({pathsA[i], 0, after.Folders[i].Size});
    }
  }
  for (std::size_t j = 0; j < pathsB.size(); ++j) {
    if (matchB[j] != NoNode) continue;
    Classify(diff, pathsB[j], before.Folders[j].Size, 0, childrenB[j]);
    const std::uint32_t parent = before.Folders[j].Parent;
    if (parent != NoNode && matchB[parent] != NoNode) {
      diff.Removed.push_back({pathsB[j], before.Folders[j].Size, 0});
    }
  }

  SortAndCut(diff.Growth, diff.GrowthCount, top, [](const TFolderChange& c) { return c.Change(); });
  SortAndCut(diff.Shrink, diff.ShrinkCount, top,
             [](const TFolderChange& c) { return -c.Change(); });
  SortAndCut(diff.Added, diff.AddedCount, top, [](const TFolderChange& c) { return c.After; });
  SortAndCut(diff.Removed, diff.RemovedCount, top, [](const TFolderChange& c) { return c.Before; });
  return diff;
}

}  // namespace Vellumetric
