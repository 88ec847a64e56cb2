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
  // Covers folders 0 .. folderCount - 1; a record of a folder outside that range is left out.
  TFolderFileIndex(const TFileRecordStore& files, std::size_t folderCount);

  [[nodiscard]] std::span<const TFileId> FilesOf(TNodeId folder) const noexcept {
    if (folder + std::size_t{1} >= Start.size()) return {};
    return {Order.data() + Start[folder], Order.data() + Start[folder + 1]};
  }

 private:
  std::vector<std::uint32_t> Start;  // per folder, then one past the last
  std::vector<TFileId> Order;
};

}  // namespace Vellumetric
