#include "model/TFolderFileIndex.h"

namespace Vellumetric {

TFolderFileIndex::TFolderFileIndex(const TFileRecordStore& files, std::size_t folderCount,
                                   std::uint64_t minSize, TMeasure measure)
    : End(folderCount, 0) {
  if (folderCount == 0) return;
  const auto kept = [&](const TFileRecord& r) {
    return r.Folder < folderCount && r.Bytes(measure) >= minSize;
  };
  // Counted one folder ahead, so that after the sum each entry is where its folder starts; each
  // then moves along as its files are placed and ends where its folder ends, with no second
  // array of positions.
  std::uint32_t last = 0;  // files of the last folder
  for (TFileId f = 0; f < files.Count(); ++f) {
    const TFileRecord r = files.Record(f);
    if (!kept(r)) continue;
    if (r.Folder + std::size_t{1} < folderCount) {
      ++End[r.Folder + 1];
    } else {
      ++last;
    }
  }
  for (std::size_t i = 1; i < End.size(); ++i) End[i] += End[i - 1];
  Order.resize(End.back() + std::size_t{last});
  // Ascending ids into each folder's slots keep the order the files were added in.
  for (TFileId f = 0; f < files.Count(); ++f) {
    const TFileRecord r = files.Record(f);
    if (kept(r)) Order[End[r.Folder]++] = f;
  }
}

}  // namespace Vellumetric
