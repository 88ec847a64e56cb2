#include "history/TScanDiff.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

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
              std::uint32_t afterIndex, const TChildExtremes& children) {
  const TFolderChange change{path, before, after, afterIndex};
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

// Folders of both scans matched by path: Match* give the other side's index, or NoNode.
struct TMatching {
  std::vector<std::string> PathsB;
  std::vector<std::string> PathsA;
  std::vector<std::uint32_t> MatchB;
  std::vector<std::uint32_t> MatchA;
};

TMatching MatchFolders(const TScanSnapshot& before, const TScanSnapshot& after, TPathStyle style) {
  TMatching m{
      FolderPaths(before, after.Root, style), FolderPaths(after, after.Root, style), {}, {}};
  std::unordered_map<std::string_view, std::uint32_t> indexB;
  indexB.reserve(m.PathsB.size());
  for (std::size_t j = 0; j < m.PathsB.size(); ++j) indexB.emplace(m.PathsB[j], j);
  m.MatchA.assign(m.PathsA.size(), NoNode);
  m.MatchB.assign(m.PathsB.size(), NoNode);
  for (std::size_t i = 0; i < m.PathsA.size(); ++i) {
    const auto it = indexB.find(m.PathsA[i]);
    if (it == indexB.end()) continue;
    m.MatchA[i] = it->second;
    m.MatchB[it->second] = static_cast<std::uint32_t>(i);
  }
  return m;
}

// Each folder's subfolder extremes: `childrenA` for folders of the newer scan, `childrenB` for
// folders that are gone (a gone folder's subfolders are all gone too).
void CollectChildChanges(const TScanSnapshot& before, const TScanSnapshot& after,
                         const TMatching& m, std::vector<TChildExtremes>& childrenA,
                         std::vector<TChildExtremes>& childrenB) {
  childrenA.assign(m.PathsA.size(), {});
  childrenB.assign(m.PathsB.size(), {});
  for (std::size_t i = 0; i < m.PathsA.size(); ++i) {
    const std::uint32_t parent = after.Folders[i].Parent;
    const std::uint64_t old = m.MatchA[i] == NoNode ? 0 : before.Folders[m.MatchA[i]].Size;
    if (parent != NoNode)
      childrenA[parent].Add(static_cast<std::int64_t>(after.Folders[i].Size - old));
  }
  for (std::size_t j = 0; j < m.PathsB.size(); ++j) {
    const std::uint32_t parent = before.Folders[j].Parent;
    if (m.MatchB[j] != NoNode || parent == NoNode) continue;
    const auto change = -static_cast<std::int64_t>(before.Folders[j].Size);
    if (m.MatchB[parent] != NoNode) {
      childrenA[m.MatchB[parent]].Add(change);
    } else {
      childrenB[parent].Add(change);
    }
  }
}

}  // namespace

TScanDiff DiffScans(const TScanSnapshot& before, const TScanSnapshot& after, std::size_t top,
                    TPathStyle style) {
  TScanDiff diff;
  diff.TotalChange = static_cast<std::int64_t>(after.Size) - static_cast<std::int64_t>(before.Size);
  TMatching m = MatchFolders(before, after, style);
  std::vector<TChildExtremes> childrenA;
  std::vector<TChildExtremes> childrenB;
  CollectChildChanges(before, after, m, childrenA, childrenB);
  for (std::size_t i = 0; i < m.PathsA.size(); ++i) {
    const std::uint64_t old = m.MatchA[i] == NoNode ? 0 : before.Folders[m.MatchA[i]].Size;
    const auto index = static_cast<std::uint32_t>(i);
    Classify(diff, m.PathsA[i], old, after.Folders[i].Size, index, childrenA[i]);
    const std::uint32_t parent = after.Folders[i].Parent;
    if (m.MatchA[i] == NoNode && parent != NoNode && m.MatchA[parent] != NoNode) {
      diff.Added.push_back({m.PathsA[i], 0, after.Folders[i].Size, index});
    }
  }
  for (std::size_t j = 0; j < m.PathsB.size(); ++j) {
    if (m.MatchB[j] != NoNode) continue;
    Classify(diff, m.PathsB[j], before.Folders[j].Size, 0, NoNode, childrenB[j]);
    const std::uint32_t parent = before.Folders[j].Parent;
    if (parent != NoNode && m.MatchB[parent] != NoNode) {
      diff.Removed.push_back({m.PathsB[j], before.Folders[j].Size, 0, NoNode});
    }
  }
  SortAndCut(diff.Growth, diff.GrowthCount, top, [](const TFolderChange& c) { return c.Change(); });
  SortAndCut(diff.Shrink, diff.ShrinkCount, top,
             [](const TFolderChange& c) { return -c.Change(); });
  SortAndCut(diff.Added, diff.AddedCount, top, [](const TFolderChange& c) { return c.After; });
  SortAndCut(diff.Removed, diff.RemovedCount, top, [](const TFolderChange& c) { return c.Before; });
  diff.BeforeIndex = std::move(m.MatchA);
  return diff;
}

}  // namespace Vellumetric
