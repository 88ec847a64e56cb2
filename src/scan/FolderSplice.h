#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/TBiggestFileList.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TTypedFileList.h"
#include "model/TUnreadableList.h"
#include "system/PathRules.h"

namespace Vellumetric {

// What a scan left that a folder scanned again changes. Records, lists and unreadable items may
// be absent (a scan that keeps none).
struct TScanResults {
  TFolderTree* Tree = nullptr;
  TFileRecordStore* Records = nullptr;
  TTypedFileList* TypedFiles = nullptr;
  TBiggestFileList* Biggest = nullptr;
  TBiggestFileList* BiggestOnDisk = nullptr;
  TUnreadableList* Unreadable = nullptr;
  TPathStyle Style = TPathStyle::Posix;
};

// A folder scanned again on its own: its tree (one top node), records and unreadable items.
struct TFreshFolder {
  TFolderTree Tree;
  TFileRecordStore Records;
  TUnreadableList Unreadable;
  // The walk's own lists, whose times are exact to the tick (a record keeps the second).
  TTypedFileList TypedFiles;
  TBiggestFileList Biggest;
  TBiggestFileList BiggestOnDisk{TMeasure::Disk};
  // Only when the folder had been left out: its own entry's size as its parent lists it, which
  // its parent's total now takes in.
  std::uint64_t EntrySize = 0;
  // Set by the splice: each fresh record's id in the scan's store (NoFile for none).
  std::vector<TFileId> NewIds;
};

// Files with several names whose blocks count at a name outside a folder, by identity: a name
// inside the folder scanned again then counts nothing.
using TLinkKey = std::pair<std::uint64_t, std::uint64_t>;
struct TLinkKeyHash {
  std::size_t operator()(const TLinkKey& k) const noexcept {
    return std::hash<std::uint64_t>()(k.second * 0x9E3779B97F4A7C15ULL ^ k.first);
  }
};
using TCountedOutside = std::unordered_map<TLinkKey, TFileId, TLinkKeyHash>;
[[nodiscard]] TCountedOutside LinksCountedOutside(const TFolderTree& tree,
                                                  const TFileRecordStore& records, TNodeId folder);

// Puts `fresh` in place of what lay below `folder`: the folder keeps its node (and every node
// outside it its id), gets the fresh children and totals, and every folder above it changes by
// the difference. Records of the old subtree are taken out in place and the fresh ones appended,
// so every other record keeps its id (the store is compacted, renumbering all, only once more
// than half of it is taken out). Each file's blocks still count once: a name inside that a name
// outside counts already counts nothing, and a file whose counting name is gone from the folder
// counts at its first name left outside. The biggest files follow from the lists as they were
// and the fresh folder's own; only when the files taken out leave a gap that the rest of the
// scan might fill are they made again from every record. Runs on the interface thread, so its
// cost is the folder's, not the scan's, wherever it can be.
void SpliceFolder(TScanResults& results, TNodeId folder, TFreshFolder& fresh,
                  const TCountedOutside& countedOutside);

// Fills the typed files again from every record, for the summary to run again over the whole
// scan. It reads the records only, so it may run on a worker after the splice.
void RefillTypedFiles(TScanResults& results, const TFreshFolder& fresh);

}  // namespace Vellumetric
