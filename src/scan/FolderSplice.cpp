#include "scan/FolderSplice.h"

#include <algorithm>
#include <vector>

#include "model/TFileTypeData.h"

namespace Vellumetric {
namespace {

bool IsBelow(const TFolderTree& tree, TNodeId node, TNodeId folder) {
  for (TNodeId n = node; n != NoNode; n = tree.Parent(n)) {
    if (n == folder) return true;
  }
  return false;
}

// The nodes of the subtree of `folder`, itself included, marked by id: whose files go.
std::vector<bool> MarkSubtree(const TFolderTree& tree, TNodeId folder) {
  std::vector<bool> below(tree.Count(), false);
  below[folder] = true;
  std::vector<TNodeId> stack(1, folder);
  while (!stack.empty()) {
    const TNodeId n = stack.back();
    stack.pop_back();
    for (TNodeId c = tree.FirstChild(n); c != NoNode; c = tree.NextSibling(c)) {
      below[c] = true;
      stack.push_back(c);
    }
  }
  return below;
}

// Copies the fresh tree's nodes below its top under `folder`; answers fresh id -> new id.
std::vector<TNodeId> Graft(TFolderTree& tree, TNodeId folder, TFolderTree& fresh) {
  std::vector<TNodeId> map(fresh.Count(), NoNode);
  const TNodeId top = fresh.FirstChild(NoNode);
  map[top] = folder;
  std::vector<TNodeId> stack(1, top);
  while (!stack.empty()) {
    const TNodeId n = stack.back();
    stack.pop_back();
    std::vector<TNodeId> kids = fresh.Children(n);
    for (const TNodeId c : kids) map[c] = tree.AddChild(map[n], std::move(fresh.Data(c)));
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back(*it);
  }
  return map;
}

void AddDiskUpwards(TFolderTree& tree, TNodeId folder, std::uint64_t bytes) {
  for (TNodeId n = folder; n != NoNode; n = tree.Parent(n)) tree.Data(n).DiskSize += bytes;
}

// Names that count nothing inside because a name outside counts: they now point at it. A file
// whose counting name was inside and is gone counts at its first name left outside.
void MendLinks(TScanResults& results, const TFileRecordStore& old,
               const TFileRecordStore& freshRecords, const std::vector<TFileId>& oldMap,
               const std::vector<TFileId>& freshMap, const TCountedOutside& countedOutside) {
  TFileRecordStore& records = *results.Records;
  TCountedOutside countedInside;
  for (const auto& f : freshRecords.LinkedFiles()) {
    const TFileId id = freshMap[f.Id];
    if (id == NoFile) continue;
    const auto outside = countedOutside.find({f.Volume, f.File});
    if (outside != countedOutside.end() && oldMap[outside->second] != NoFile) {
      const TFileId first = oldMap[outside->second];
      records.SetHardLink(id, first, records.HardLink(first).Names);
    } else if (f.First == f.Id) {
      countedInside.emplace(TLinkKey{f.Volume, f.File}, id);
    }
  }
  // By identity: the old counting name inside, and the names left outside.
  std::unordered_map<TLinkKey, std::pair<TFileId, std::vector<TFileId>>, TLinkKeyHash> orphans;
  for (const auto& f : old.LinkedFiles()) {
    if (oldMap[f.First] != NoFile || oldMap[f.Id] == NoFile) continue;
    if (countedInside.contains({f.Volume, f.File})) continue;
    auto& entry = orphans[{f.Volume, f.File}];
    entry.first = f.First;
    entry.second.push_back(oldMap[f.Id]);
  }
  for (auto& [key, entry] : orphans) {
    std::vector<TFileId>& names = entry.second;
    const TFileId first = *std::min_element(names.begin(), names.end());
    const std::uint64_t bytes = old.DiskSize(entry.first);
    records.SetDisk(first, {bytes, records.DiskFlags(first)});
    AddDiskUpwards(*results.Tree, records.Record(first).Folder, bytes);
    for (const TFileId n : names) {
      records.SetHardLink(n, first, static_cast<std::uint32_t>(names.size()));
    }
  }
}

// Last access times to the tick where a list still has them: a record keeps only the second.
std::unordered_map<TFileId, std::uint64_t> ExactTimes(const TScanResults& results,
                                                      TFreshFolder& fresh,
                                                      const std::vector<TFileId>& oldMap,
                                                      const std::vector<TFileId>& freshMap) {
  std::unordered_map<TFileId, std::uint64_t> times;
  const auto take = [&](const TBiggestFileList* list, const std::vector<TFileId>& map) {
    if (!list) return;
    for (const TFileTypeData& f : list->ItemsAscending()) {
      if (f.File < map.size() && map[f.File] != NoFile) times[map[f.File]] = f.LastAccess;
    }
  };
  take(results.Biggest, oldMap);
  take(results.BiggestOnDisk, oldMap);
  take(&fresh.Biggest, freshMap);
  take(&fresh.BiggestOnDisk, freshMap);
  for (std::size_t i = 0; i < fresh.TypedFiles.Count(); ++i) {
    const TTypedFile t = fresh.TypedFiles.At(fresh.Records, i);
    if (t.File < freshMap.size() && freshMap[t.File] != NoFile)
      times[freshMap[t.File]] = t.LastAccess;
  }
  return times;
}

void RebuildFileLists(TScanResults& results,
                      const std::unordered_map<TFileId, std::uint64_t>& exact) {
  const TFileRecordStore& records = *results.Records;
  if (results.TypedFiles) results.TypedFiles->Clear();
  if (results.Biggest) results.Biggest->Clear();
  if (results.BiggestOnDisk) results.BiggestOnDisk->Clear();
  for (TFileId id = 0; id < records.Count(); ++id) {
    const TFileRecord r = records.Record(id);
    const auto known = exact.find(id);
    const std::uint64_t time = known != exact.end() ? known->second : records.FileTime(id, 0);
    if (results.TypedFiles && r.Group != TFileRecordStore::NoGroup) {
      results.TypedFiles->Add(records, {id, r.Group, time});
    }
    const bool bySize = results.Biggest && results.Biggest->Accepts(r.Size, r.DiskSize);
    const bool byDisk = results.BiggestOnDisk && results.BiggestOnDisk->Accepts(r.Size, r.DiskSize);
    if (!bySize && !byDisk) continue;
    const TFileTypeData data{std::string(records.Name(id)),
                             results.Tree->Data(r.Folder).Path,
                             r.Size,
                             true,
                             time,
                             r.Group == TFileRecordStore::NoGroup ? 0 : r.Group,
                             r.DiskSize,
                             r.DiskFlags,
                             id};
    if (bySize) results.Biggest->Offer(data);
    if (byDisk) results.BiggestOnDisk->Offer(data);
  }
}

}  // namespace

TCountedOutside LinksCountedOutside(const TFolderTree& tree, const TFileRecordStore& records,
                                    TNodeId folder) {
  TCountedOutside out;
  for (const auto& f : records.LinkedFiles()) {
    if (f.First != f.Id || records.DiskSize(f.Id) == 0) continue;
    if (!IsBelow(tree, records.Record(f.Id).Folder, folder))
      out.emplace(TLinkKey{f.Volume, f.File}, f.Id);
  }
  return out;
}

void SpliceFolder(TScanResults& results, TNodeId folder, TFreshFolder& fresh,
                  const TCountedOutside& countedOutside) {
  TFolderTree& tree = *results.Tree;
  const std::vector<bool> below = MarkSubtree(tree, folder);
  const TFolderData old = tree.Data(folder);
  tree.DetachChildren(folder);
  const std::vector<TNodeId> map = Graft(tree, folder, fresh.Tree);
  TFolderData& now = tree.Data(folder);
  const TFolderData& top = fresh.Tree.Data(fresh.Tree.FirstChild(NoNode));
  now.Size = top.Size;
  now.DiskSize = top.DiskSize;
  now.FolderCount = top.FolderCount;
  now.FileCount = top.FileCount;
  now.ReadError = top.ReadError;
  now.UnreadableBelow = top.UnreadableBelow;
  now.Complete = 1;
  now.Excluded = 0;
  for (TNodeId c = tree.FirstChild(folder); c != NoNode; c = tree.NextSibling(c)) {
    tree.Data(c).ParentComplete = 1;
  }
  // A folder left out added nothing to its parent, not even itself.
  const std::uint64_t entry = old.Excluded ? fresh.EntrySize : 0;
  const std::uint32_t itself = old.Excluded ? 1 : 0;
  const auto unreadable = [](const TFolderData& d) {
    return d.UnreadableBelow + (d.ReadError != 0 ? 1U : 0U);
  };
  for (TNodeId n = tree.Parent(folder); n != NoNode; n = tree.Parent(n)) {
    TFolderData& d = tree.Data(n);
    d.Size = d.Size - old.Size + now.Size + entry;
    d.DiskSize = d.DiskSize - old.DiskSize + now.DiskSize;
    d.FolderCount = d.FolderCount - old.FolderCount + now.FolderCount + itself;
    d.FileCount = d.FileCount - old.FileCount + now.FileCount;
    d.UnreadableBelow = d.UnreadableBelow - unreadable(old) + unreadable(now);
  }
  if (results.Unreadable) {
    const std::string path = now.Path.Str();
    results.Unreadable->ForgetBelow(path, ChildSeparator(results.Style, now.Path.Back()));
    results.Unreadable->Absorb(fresh.Unreadable);
  }
  if (!results.Records) return;
  TFileRecordStore records;
  std::vector<TFileId> oldMap;
  std::vector<TFileId> freshMap;
  records.AppendFrom(
      *results.Records, [&](TNodeId f) { return f < below.size() && below[f] ? NoNode : f; },
      oldMap);
  records.AppendFrom(
      fresh.Records, [&](TNodeId f) { return map[f]; }, freshMap);
  const TFileRecordStore oldRecords = std::move(*results.Records);
  *results.Records = std::move(records);
  MendLinks(results, oldRecords, fresh.Records, oldMap, freshMap, countedOutside);
  RebuildFileLists(results, ExactTimes(results, fresh, oldMap, freshMap));
}

}  // namespace Vellumetric
