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

// Takes out, in place, the records of the folders `below` marks.
void RemoveRecordsBelow(TFileRecordStore& records, const std::vector<bool>& below) {
  for (TFileId id = 0; id < records.Count(); ++id) {
    const TNodeId f = records.Folder(id);
    if (f < below.size() && below[f]) records.Remove(id);
  }
}

// Names that count nothing inside because a name outside counts: they now point at it. A file
// whose counting name was inside and is gone counts at its first name left outside. `oldLinked`
// are the scan's linked files before the old records were taken out; a removed record still
// reads its allocation.
// Answers whether a file outside took over blocks (so its allocation grew).
bool MendLinks(TScanResults& results, const std::vector<TFileRecordStore::TLinkedFile>& oldLinked,
               const TFileRecordStore& freshRecords, const std::vector<TFileId>& freshMap,
               const TCountedOutside& countedOutside) {
  TFileRecordStore& records = *results.Records;
  TCountedOutside countedInside;
  for (const auto& f : freshRecords.LinkedFiles()) {
    const TFileId id = freshMap[f.Id];
    if (id == NoFile) continue;
    const auto outside = countedOutside.find({f.Volume, f.File});
    if (outside != countedOutside.end() && !records.Removed(outside->second)) {
      const TFileId first = outside->second;
      records.SetHardLink(id, first, records.HardLink(first).Names);
    } else if (f.First == f.Id) {
      countedInside.emplace(TLinkKey{f.Volume, f.File}, id);
    }
  }
  // By identity: the old counting name inside, and the names left outside.
  std::unordered_map<TLinkKey, std::pair<TFileId, std::vector<TFileId>>, TLinkKeyHash> orphans;
  for (const auto& f : oldLinked) {
    if (!records.Removed(f.First) || records.Removed(f.Id)) continue;
    if (countedInside.contains({f.Volume, f.File})) continue;
    auto& entry = orphans[{f.Volume, f.File}];
    entry.first = f.First;
    entry.second.push_back(f.Id);
  }
  for (auto& [key, entry] : orphans) {
    std::vector<TFileId>& names = entry.second;
    const TFileId first = *std::min_element(names.begin(), names.end());
    const std::uint64_t bytes = records.DiskSize(entry.first);
    records.SetDisk(first, {bytes, records.DiskFlags(first)});
    AddDiskUpwards(*results.Tree, records.Folder(first), bytes);
    for (const TFileId n : names) {
      records.SetHardLink(n, first, static_cast<std::uint32_t>(names.size()));
    }
  }
  return !orphans.empty();
}

using TExactTimes = std::unordered_map<TFileId, std::uint64_t>;

// Last access times to the tick where a list still has them: a record keeps only the second.
void TakeListTimes(const TBiggestFileList* list, TExactTimes& times) {
  if (!list) return;
  for (const TFileTypeData& f : list->ItemsAscending()) {
    if (f.File != NoFile) times[f.File] = f.LastAccess;
  }
}

// The fresh lists' files under their ids in the scan, ascending: the order in which a walk of
// every record would offer them, which decides among equal sizes.
std::vector<TFileId> FreshCandidates(const TFreshFolder& fresh, TExactTimes& times) {
  std::vector<TFileId> ids;
  for (const TBiggestFileList* list : {&fresh.Biggest, &fresh.BiggestOnDisk}) {
    for (const TFileTypeData& f : list->ItemsAscending()) {
      if (f.File >= fresh.NewIds.size() || fresh.NewIds[f.File] == NoFile) continue;
      ids.push_back(fresh.NewIds[f.File]);
      times[fresh.NewIds[f.File]] = f.LastAccess;
    }
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

TFileTypeData ListItem(const TScanResults& results, TFileId id, const TExactTimes& exact) {
  const TFileRecordStore& records = *results.Records;
  const TFileRecord r = records.Record(id);
  const auto known = exact.find(id);
  return {std::string(records.Name(id)),
          results.Tree->Data(r.Folder).Path,
          r.Size,
          true,
          known != exact.end() ? known->second : records.FileTime(id, 0),
          r.Group == TFileRecordStore::NoGroup ? 0 : r.Group,
          r.DiskSize,
          r.DiskFlags,
          id};
}

// Every live record offered in id order, as the walk offered them.
void RebuildList(const TScanResults& results, TBiggestFileList& list, const TExactTimes& exact) {
  const TFileRecordStore& records = *results.Records;
  list.Clear();
  for (TFileId id = 0; id < records.Count(); ++id) {
    if (records.Removed(id)) continue;
    if (list.Accepts(records.Size(id), records.DiskSize(id))) {
      list.Offer(ListItem(results, id, exact));
    }
  }
}

// The list without the files taken out, plus the fresh folder's biggest, is exact when nothing
// was taken out, or when the list held every file, or when all it now holds is larger than the
// smallest it held before: every file of the scan it never held is no larger than that one.
// Otherwise the gap may belong to a file outside the folder, and every record is read again.
void UpdateList(const TScanResults& results, TBiggestFileList* list,
                const std::vector<TFileId>& candidates, const TExactTimes& exact) {
  if (!list) return;
  const TFileRecordStore& records = *results.Records;
  const bool wasFull = list->Count() >= TBiggestFileList::Capacity;
  const std::uint64_t smallest = list->Count() > 0 ? (*list)[0].Bytes(list->Measure()) : 0;
  const std::size_t gone = list->RemoveIf([&](const TFileTypeData& f) {
    return f.File == NoFile || f.File >= records.Count() || records.Removed(f.File);
  });
  for (const TFileId id : candidates) {
    if (list->Accepts(records.Size(id), records.DiskSize(id))) {
      list->Offer(ListItem(results, id, exact));
    }
  }
  if (gone == 0 || !wasFull) return;
  if (list->Count() >= TBiggestFileList::Capacity && (*list)[0].Bytes(list->Measure()) > smallest) {
    return;
  }
  RebuildList(results, *list, exact);
}

// Once more than half the store is files taken out, it is copied without them; the lists follow
// the new ids (the typed files are filled again afterwards anyway).
void CompactIfMostlyRemoved(TScanResults& results, TFreshFolder& fresh) {
  TFileRecordStore& records = *results.Records;
  if (records.RemovedCount() * 2 <= records.Count()) return;
  TFileRecordStore compact;
  std::vector<TFileId> newIds;
  compact.AppendFrom(
      records, [](TNodeId f) { return f; }, newIds);
  records = std::move(compact);
  if (results.Biggest) results.Biggest->Renumber(newIds);
  if (results.BiggestOnDisk) results.BiggestOnDisk->Renumber(newIds);
  for (TFileId& id : fresh.NewIds) {
    if (id != NoFile) id = newIds[id];
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
  TFileRecordStore& records = *results.Records;
  const auto oldLinked = records.LinkedFiles();
  RemoveRecordsBelow(records, below);
  records.AppendFrom(
      fresh.Records, [&](TNodeId f) { return map[f]; }, fresh.NewIds);
  const bool grew = MendLinks(results, oldLinked, fresh.Records, fresh.NewIds, countedOutside);
  TExactTimes exact;
  TakeListTimes(results.Biggest, exact);
  TakeListTimes(results.BiggestOnDisk, exact);
  const std::vector<TFileId> candidates = FreshCandidates(fresh, exact);
  UpdateList(results, results.Biggest, candidates, exact);
  UpdateList(results, results.BiggestOnDisk, candidates, exact);
  // A name outside that took the blocks over may now be among the largest on disk.
  if (grew && results.BiggestOnDisk) RebuildList(results, *results.BiggestOnDisk, exact);
  CompactIfMostlyRemoved(results, fresh);
}

void RefillTypedFiles(TScanResults& results, const TFreshFolder& fresh) {
  if (!results.Records || !results.TypedFiles) return;
  const TFileRecordStore& records = *results.Records;
  TExactTimes exact;
  TakeListTimes(results.Biggest, exact);
  TakeListTimes(results.BiggestOnDisk, exact);
  for (std::size_t i = 0; i < fresh.TypedFiles.Count(); ++i) {
    const TTypedFile t = fresh.TypedFiles.At(fresh.Records, i);
    if (t.File < fresh.NewIds.size() && fresh.NewIds[t.File] != NoFile)
      exact[fresh.NewIds[t.File]] = t.LastAccess;
  }
  results.TypedFiles->Clear();
  for (TFileId id = 0; id < records.Count(); ++id) {
    const std::int32_t group = records.Group(id);
    if (group == TFileRecordStore::NoGroup || records.Removed(id)) continue;
    const auto known = exact.find(id);
    const std::uint64_t time = known != exact.end() ? known->second : records.FileTime(id, 0);
    results.TypedFiles->Add(records, {id, group, time});
  }
}

}  // namespace Vellumetric
