#pragma once

#include <cstdint>
#include <unordered_map>

#include "model/TFileRecordStore.h"

namespace Vellumetric {

// Which of a scan's records are further names of one file (hard links), as a search found them,
// and what each file takes on disk.
class TFileNames {
 public:
  explicit TFileNames(const TFileRecordStore& files) : Files(files) {}

  // `otherName` reaches the same file as `file`, which stands for it.
  void Add(TFileId otherName, TFileId file);

  // The record that stands for the file `name` reaches: `name` itself unless it is another name.
  [[nodiscard]] TFileId FileOf(TFileId name) const {
    const auto it = Standing.find(name);
    return it == Standing.end() ? name : it->second;
  }
  // What the file takes on disk: the most any of its names is given, since the scan gives a
  // file's blocks to the first name it meets and nothing to the others.
  [[nodiscard]] std::uint64_t DiskBytes(TFileId file) const;
  // What the scan gives one name on disk.
  [[nodiscard]] static std::uint64_t RecordDiskBytes(const TFileRecordStore& files, TFileId name);

 private:
  const TFileRecordStore& Files;
  std::unordered_map<TFileId, TFileId> Standing;       // another name -> the file's record
  std::unordered_map<TFileId, std::uint64_t> Largest;  // a file with other names -> their most
};

}  // namespace Vellumetric
