#include "duplicates/TFolderMatcher.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "duplicates/PathOrder.h"
#include "model/WalkTree.h"

namespace Vellumetric {
namespace {

// Every part of the folder was listed to its end, so its names are all known.
bool ReadWhole(const TFolderData& folder) {
  return folder.Complete && folder.ReadError == 0 && folder.UnreadableBelow == 0;
}

std::size_t DepthOf(const TFolderTree& tree, TNodeId folder) {
  std::size_t depth = 0;
  for (TNodeId p = tree.Parent(folder); p != NoNode; p = tree.Parent(p)) ++depth;
  return depth;
}

}  // namespace

TFolderMatcher::TFolderMatcher(const TFileRecordStore& files, const TFolderTree& tree,
                               std::uint64_t minSize)
    : Files(files),
      Tree(tree),
      MinSize(std::max<std::uint64_t>(minSize, 1)),
      Index(files, tree.Count()),
      Candidate(tree.Count(), 0),
      Below(tree.Count(), 0) {}

// A folder's sign: its entries in name order, each a name with a file's value or a sub-folder's
// sign. False when a sub-folder has none (it could not be matched), or a file's value is unknown.
template <class FileValue>
bool TFolderMatcher::Sign(TNodeId folder, const std::vector<THash128>& below, FileValue value,
                          THash128& sign) {
  Entries.clear();
  for (TFileId f : Index.FilesOf(folder)) {
    TEntry e{Files.Name(f), false, {}};
    if (!value(f, e.Value)) return false;
    Entries.push_back(e);
  }
  for (TNodeId c = Tree.FirstChild(folder); c != NoNode; c = Tree.NextSibling(c)) {
    if (below[c] == THash128{}) return false;
    Entries.push_back({Tree.Data(c).Name(), true, below[c]});
  }
  std::sort(Entries.begin(), Entries.end(),
            [](const TEntry& a, const TEntry& b) { return a.Name < b.Name; });
  Running.Reset();
  for (const TEntry& e : Entries) {
    Running.AddValue(e.Folder);
    Running.AddValue(e.Name.size());
    Running.Add(e.Name.data(), e.Name.size());
    Running.AddValue(e.Value);
  }
  sign = Running.Digest();
  // The zero digest marks "no sign"; a real one of zero would only cost this folder its match.
  return sign != THash128{};
}

void TFolderMatcher::FindCandidates() {
  const std::size_t count = Tree.Count();
  std::vector<THash128> signs(count);
  std::vector<char> eligible(count, 0);
  // Children have larger ids than their parents: from the last id back, each folder comes after
  // everything below it.
  for (std::size_t n = count; n-- > 0;) {
    const auto node = static_cast<TNodeId>(n);
    if (!ReadWhole(Tree.Data(node))) continue;
    const auto bySize = [&](TFileId f, THash128& v) {
      v = {Files.Record(f).Size, 0};
      return true;
    };
    if (Sign(node, signs, bySize, signs[n])) eligible[n] = 1;
  }
  for (const auto& run : EqualRuns(signs, eligible, eligible)) {
    for (TNodeId f : run) Candidate[f] = 1;
  }
  for (std::size_t n = 0; n < count; ++n) {
    const TNodeId parent = Tree.Parent(static_cast<TNodeId>(n));
    Below[n] = Candidate[n] || (parent != NoNode && Below[parent]);
  }
}

// Runs of folders with one sign, among those `eligible` and `wanted` and large enough, each in
// the order of the tree's ids.
std::vector<std::vector<TNodeId>> TFolderMatcher::EqualRuns(const std::vector<THash128>& signs,
                                                            const std::vector<char>& eligible,
                                                            const std::vector<char>& wanted) const {
  std::vector<std::pair<THash128, TNodeId>> keyed;
  for (std::size_t n = 0; n < signs.size(); ++n) {
    const std::uint64_t size = Tree.Data(static_cast<TNodeId>(n)).Size;
    if (eligible[n] && wanted[n] && size >= MinSize) {
      keyed.emplace_back(signs[n], static_cast<TNodeId>(n));
    }
  }
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::vector<TNodeId>> runs;
  for (std::size_t i = 0; i < keyed.size();) {
    std::size_t j = i;
    while (j < keyed.size() && keyed[j].first == keyed[i].first) ++j;
    if (j - i >= 2) {
      runs.emplace_back();
      for (std::size_t k = i; k < j; ++k) runs.back().push_back(keyed[k].second);
    }
    i = j;
  }
  return runs;
}

void TFolderMatcher::AddGroups(const TContentKey& key, const TFileNames& names, TPathStyle style,
                               TDuplicateResult& result) {
  const std::size_t count = Tree.Count();
  std::vector<THash128> signs(count);
  std::vector<char> eligible(count, 0);
  for (std::size_t n = count; n-- > 0;) {
    if (!Below[n]) continue;
    const auto byContent = [&](TFileId f, THash128& v) {
      std::uint64_t k = 0;
      if (!key(f, k)) return false;
      v = {k, 1};
      return true;
    };
    if (Sign(static_cast<TNodeId>(n), signs, byContent, signs[n])) eligible[n] = 1;
  }
  auto runs = EqualRuns(signs, eligible, Candidate);
  for (auto& run : runs) {
    SortByPath(run, style, [&](TNodeId f) { return Tree.Data(f).Path.Str(); });
  }
  // Outer folders first: a group whose every copy lies inside the copies of one group already
  // taken says nothing new.
  std::vector<std::pair<std::size_t, std::size_t>> order;  // depth, run
  for (std::size_t r = 0; r < runs.size(); ++r) {
    std::size_t depth = DepthOf(Tree, runs[r][0]);
    for (TNodeId m : runs[r]) depth = std::min(depth, DepthOf(Tree, m));
    order.emplace_back(depth, r);
  }
  std::sort(order.begin(), order.end());
  std::unordered_map<TNodeId, std::size_t> taken;  // a member folder -> its run
  const auto coveringRun = [&](TNodeId folder) -> std::size_t {
    for (TNodeId p = Tree.Parent(folder); p != NoNode; p = Tree.Parent(p)) {
      if (auto it = taken.find(p); it != taken.end()) return it->second;
    }
    return runs.size();
  };
  for (const auto& [depth, r] : order) {
    const std::size_t first = coveringRun(runs[r][0]);
    const bool covered =
        first < runs.size() && std::all_of(runs[r].begin(), runs[r].end(),
                                           [&](TNodeId m) { return coveringRun(m) == first; });
    if (covered) continue;
    TDuplicateGroup group;
    group.Kind = TDuplicateKind::Folders;
    group.Size = Tree.Data(runs[r][0]).Size;
    const std::vector<TNodeId> members = Measure(runs[r], names, group);
    if (members.size() < 2) continue;
    for (TNodeId m : members) taken.emplace(m, r);
    group.First = static_cast<std::uint32_t>(result.Members.size());
    group.Count = static_cast<std::uint32_t>(members.size());
    result.Members.insert(result.Members.end(), members.begin(), members.end());
    result.Groups.push_back(group);
  }
}

// The first copy's bytes on disk, and what the other copies add: their files that no copy before
// them holds by another name, each file once. A folder that adds nothing (its files are all
// other names of files in the copies before it) is no copy, and is left out.
std::vector<TNodeId> TFolderMatcher::Measure(const std::vector<TNodeId>& run,
                                             const TFileNames& names,
                                             TDuplicateGroup& group) const {
  std::unordered_set<TFileId> seen;
  std::vector<TNodeId> members;
  for (TNodeId folder : run) {
    std::uint64_t added = 0;
    bool any = false;
    ForFilesBelow(folder, [&](TFileId f) {
      // Empty files hold nothing (and were never opened, so their other names are unknown).
      const TFileId file = names.FileOf(f);
      if (Files.Record(f).Size > 0 && seen.insert(file).second) {
        added += names.DiskBytes(file);
        any = true;
      }
    });
    if (!any) continue;
    if (members.empty()) {
      group.DiskBytes = added;
    } else {
      group.Wasted += added;
    }
    members.push_back(folder);
  }
  return members;
}

void TFolderMatcher::ForFilesBelow(TNodeId folder,
                                   const std::function<void(TFileId)>& visit) const {
  WalkTree(Tree, folder, -1, [&](TNodeId node, int) {
    for (TFileId f : Index.FilesOf(node)) visit(f);
  });
}

}  // namespace Vellumetric
