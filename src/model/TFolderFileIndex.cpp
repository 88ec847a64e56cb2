#include "model/TFolderFileIndex.h"

namespace Vellumetric {

TFolderFileIndex::TFolderFileIndex(const TFileRecordStore& files, std::size_t folderCount)
    : Start(folderCount + 1, 0) {
  for (TFileId f = 0; f < files.Count(); ++f) {
    const TNodeId folder = files.Record(f).Folder;
    if (folder < folderCount) ++Start[folder + 1];
  }
  for (std::size_t i = 1; i < Start.size(); ++i) Start[i] += Start[i - 1];
  Order.resize(Start.back());
  // Ascending ids into each folder's slots keep the order the files were added in.
  std::vector<std::uint32_t> next(Start.begin(), Start.end() - 1);
  for (TFileId f = 0; f < files.Count(); ++f) {
    const TNodeId folder = files.Record(f).Folder;
    if (folder < folderCount) Order[next[folder]++] = f;
  }
}

}  // namespace Vellumetric
