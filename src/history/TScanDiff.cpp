#include "history/TScanDiff.h"

#include <algorithm>
#include <string_view>
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

// A folder that may be listed: its index in the newer scan, or for a gone folder in the older.
struct TCandidate {
  std::uint64_t Before = 0;
  std::uint64_t After = 0;
  std::uint32_t AfterIndex = NoNode;
  std::uint32_t BeforeIndex = NoNode;
  [[nodiscard]] std::int64_t Change() const noexcept {
    return static_cast<std::int64_t>(After) - static_cast<std::int64_t>(Before);
  }
};

// Spells a folder's path from the newer scan's root text, as both sides are listed. Only the
// folders a list keeps are spelled: a scan of a large disk has far more folders than changes.
class TPathSpeller {
 public:
  TPathSpeller(const TScanSnapshot& before, const TScanSnapshot& after, TPathStyle style)
      : Before(before), After(after), Style(style) {}
  [[nodiscard]] std::string Path(const TCandidate& c) const {
    return c.AfterIndex != NoNode ? Spell(After, c.AfterIndex) : Spell(Before, c.BeforeIndex);
  }

 private:
  std::string Spell(const TScanSnapshot& scan, std::uint32_t index) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t i = index; scan.Folders[i].Parent != NoNode; i = scan.Folders[i].Parent) {
      chain.push_back(i);
    }
    std::string path = After.Root;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      path = ChildPath(Style, path, scan.Name(*it));
    }
    return path;
  }

  const TScanSnapshot& Before;
  const TScanSnapshot& After;
  TPathStyle Style;
};

struct TCandidates {
  std::vector<TCandidate> Growth;
  std::vector<TCandidate> Shrink;
  std::vector<TCandidate> Added;
  std::vector<TCandidate> Removed;
};

void Classify(TCandidates& lists, const TCandidate& c, const TChildExtremes& children) {
  const auto delta = static_cast<long double>(c.Change());
  if (delta > 0 && static_cast<long double>(children.Growth) < kExplainedShare * delta) {
    lists.Growth.push_back(c);
  } else if (delta < 0 && static_cast<long double>(children.Shrink) > kExplainedShare * delta) {
    lists.Shrink.push_back(c);
  }
}

// Largest `key` first, equal keys by path; the first `top` are kept. Paths are spelled for the
// folders that can make the cut only: those above the last kept key and all that share it.
template <class Key>
std::vector<TFolderChange> SortAndCut(std::vector<TCandidate>& list, std::size_t& count,
                                      std::size_t top, Key key, const TPathSpeller& speller) {
  count = list.size();
  std::sort(list.begin(), list.end(),
            [&](const TCandidate& a, const TCandidate& b) { return key(a) > key(b); });
  std::size_t reach = std::min(top, list.size());
  if (reach > 0) {
    const auto last = key(list[reach - 1]);
    while (reach < list.size() && key(list[reach]) == last) ++reach;
  }
  std::vector<TFolderChange> out;
  out.reserve(reach);
  for (std::size_t i = 0; i < reach; ++i) {
    const TCandidate& c = list[i];
    out.push_back({speller.Path(c), c.Before, c.After, c.AfterIndex});
  }
  std::sort(out.begin(), out.end(), [&](const TFolderChange& a, const TFolderChange& b) {
    const auto ka = key(a);
    const auto kb = key(b);
    return ka != kb ? ka > kb : a.Path < b.Path;
  });
  if (out.size() > top) out.resize(top);
  return out;
}

// The older scan's folders by (parent, name), in one open-addressed table of indexes: a scan of
// a large disk has a hundred thousand folders or more, and one allocation per entry would cost
// more than the whole comparison.
class TSiblingIndex {
 public:
  explicit TSiblingIndex(const TScanSnapshot& scan) : Scan(scan) {
    std::size_t capacity = 16;
    while (capacity < scan.Folders.size() * 2) capacity *= 2;
    Slots.assign(capacity, NoNode);
    for (std::size_t j = 1; j < scan.Folders.size(); ++j) {
      const std::uint32_t parent = scan.Folders[j].Parent;
      const std::string_view name = scan.Name(j);
      std::size_t slot = Hash(parent, name) & (Slots.size() - 1);
      for (;; slot = (slot + 1) & (Slots.size() - 1)) {
        if (Slots[slot] == NoNode) {
          Slots[slot] = static_cast<std::uint32_t>(j);
          break;
        }
        if (Is(Slots[slot], parent, name)) break;  // the first of equal names is kept
      }
    }
  }

  // The folder named `name` below folder `parent`, or NoNode.
  [[nodiscard]] std::uint32_t Find(std::uint32_t parent, std::string_view name) const {
    for (std::size_t slot = Hash(parent, name) & (Slots.size() - 1);;
         slot = (slot + 1) & (Slots.size() - 1)) {
      if (Slots[slot] == NoNode || Is(Slots[slot], parent, name)) return Slots[slot];
    }
  }

 private:
  static std::size_t Hash(std::uint32_t parent, std::string_view name) {
    return std::hash<std::string_view>{}(name) ^
           (static_cast<std::size_t>(parent) * 0x9E3779B97F4A7C15ull);
  }
  [[nodiscard]] bool Is(std::uint32_t index, std::uint32_t parent, std::string_view name) const {
    return Scan.Folders[index].Parent == parent && Scan.Name(index) == name;
  }

  const TScanSnapshot& Scan;
  std::vector<std::uint32_t> Slots;
};

// Folders of both scans matched by path: Match* give the other side's index, or NoNode. Both
// sides are spelled from the same root text, so a folder's path is its chain of names; it is
// matched as that chain, level by level (parents come first), without spelling any path.
struct TMatching {
  std::vector<std::uint32_t> MatchB;
  std::vector<std::uint32_t> MatchA;
};

TMatching MatchFolders(const TScanSnapshot& before, const TScanSnapshot& after) {
  TMatching m;
  m.MatchA.assign(after.Folders.size(), NoNode);
  m.MatchB.assign(before.Folders.size(), NoNode);
  if (before.Folders.empty() || after.Folders.empty()) return m;
  const TSiblingIndex indexB(before);
  m.MatchA[0] = 0;  // the roots: the same folder by definition
  m.MatchB[0] = 0;
  for (std::size_t i = 1; i < after.Folders.size(); ++i) {
    const TSnapshotFolder& f = after.Folders[i];
    if (f.Parent >= i) continue;  // not in pre-order: no match rather than a wild read
    const std::uint32_t parent = m.MatchA[f.Parent];
    if (parent == NoNode) continue;
    const std::uint32_t match = indexB.Find(parent, after.Name(i));
    if (match == NoNode) continue;
    m.MatchA[i] = match;
    m.MatchB[match] = static_cast<std::uint32_t>(i);
  }
  return m;
}

// Each folder's subfolder extremes: `childrenA` for folders of the newer scan, `childrenB` for
// folders that are gone (a gone folder's subfolders are all gone too).
void CollectChildChanges(const TScanSnapshot& before, const TScanSnapshot& after,
                         const TMatching& m, std::vector<TChildExtremes>& childrenA,
                         std::vector<TChildExtremes>& childrenB) {
  childrenA.assign(after.Folders.size(), {});
  childrenB.assign(before.Folders.size(), {});
  for (std::size_t i = 0; i < after.Folders.size(); ++i) {
    const std::uint32_t parent = after.Folders[i].Parent;
    const std::uint64_t old = m.MatchA[i] == NoNode ? 0 : before.Folders[m.MatchA[i]].Size;
    if (parent != NoNode)
      childrenA[parent].Add(static_cast<std::int64_t>(after.Folders[i].Size - old));
  }
  for (std::size_t j = 0; j < before.Folders.size(); ++j) {
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
  TMatching m = MatchFolders(before, after);
  std::vector<TChildExtremes> childrenA;
  std::vector<TChildExtremes> childrenB;
  CollectChildChanges(before, after, m, childrenA, childrenB);
  TCandidates lists;
  for (std::size_t i = 0; i < after.Folders.size(); ++i) {
    const std::uint32_t match = m.MatchA[i];
    const TCandidate c{match == NoNode ? 0 : before.Folders[match].Size, after.Folders[i].Size,
                       static_cast<std::uint32_t>(i), match};
    Classify(lists, c, childrenA[i]);
    const std::uint32_t parent = after.Folders[i].Parent;
    if (match == NoNode && parent != NoNode && m.MatchA[parent] != NoNode) {
      lists.Added.push_back(c);
    }
  }
  for (std::size_t j = 0; j < before.Folders.size(); ++j) {
    if (m.MatchB[j] != NoNode) continue;
    const TCandidate c{before.Folders[j].Size, 0, NoNode, static_cast<std::uint32_t>(j)};
    Classify(lists, c, childrenB[j]);
    const std::uint32_t parent = before.Folders[j].Parent;
    if (parent != NoNode && m.MatchB[parent] != NoNode) lists.Removed.push_back(c);
  }
  const TPathSpeller speller(before, after, style);
  diff.Growth = SortAndCut(
      lists.Growth, diff.GrowthCount, top, [](const auto& c) { return c.Change(); }, speller);
  diff.Shrink = SortAndCut(
      lists.Shrink, diff.ShrinkCount, top, [](const auto& c) { return -c.Change(); }, speller);
  diff.Added = SortAndCut(
      lists.Added, diff.AddedCount, top, [](const auto& c) { return c.After; }, speller);
  diff.Removed = SortAndCut(
      lists.Removed, diff.RemovedCount, top, [](const auto& c) { return c.Before; }, speller);
  diff.BeforeIndex = std::move(m.MatchA);
  return diff;
}

}  // namespace Vellumetric
