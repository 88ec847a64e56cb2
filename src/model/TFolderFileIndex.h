#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/TFileRecordStore.h"

namespace Vellumetric {

// The files of a record store grouped by folder, each folder's in the order they were added.
// Built in two passes over the records (count, then place) when a reader needs folders' files,
// and dropped with that reader: the store keeps no per-folder chain of its own, which would cost
// every scan eight bytes per file and folder for the one reader (the map) that walks them.
class TFolderFileIndex {
 public:
  // Covers folders 0 .. folderCount - 1 and files of at least `minSize` bytes by `measure`; any
  // other record is left out.
  TFolderFileIndex(const TFileRecordStore& files, std::size_t folderCount,
                   std::uint64_t minSize = 0, TMeasure measure = TMeasure::Size);

  [[nodiscard]] std::span<const TFileId> FilesOf(TNodeId folder) const noexcept {
    if (folder >= End.size()) return {};
    return {Order.data() + (folder == 0 ? 0 : End[folder - 1]), Order.data() + End[folder]};
  }

 private:
  std::vector<std::uint32_t> End;  // per folder: one past its last file in Order
  std::vector<TFileId> Order;
};

}  // namespace Vellumetric
