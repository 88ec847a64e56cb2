#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "duplicates/ContentHash.h"
#include "duplicates/TDuplicateResult.h"
#include "duplicates/TFileNames.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TFolderFileIndex.h"

namespace Vellumetric {

// Finds folders whose whole content is equal: the same names all the way down, and the same
// bytes in each file. First by names and sizes alone, which needs no reading and tells which
// files must be compared; then, once they are, by the files' contents.
class TFolderMatcher {
 public:
  // A file's content as the comparison left it: equal keys for equal bytes. False when the file
  // could not be compared, which leaves every folder above it out.
  using TContentKey = std::function<bool(TFileId, std::uint64_t& key)>;

  TFolderMatcher(const TFileRecordStore& files, const TFolderTree& tree, std::uint64_t minSize);

  // Folders of at least the smallest size, all of whose parts were read by the scan, that match
  // another folder by names and sizes.
  void FindCandidates();
  // The file lies in such a folder, at any depth: it must be compared for them.
  [[nodiscard]] bool MustCompare(TFileId file) const {
    return Below[Files.Record(file).Folder] != 0;
  }

  // Appends to `result` the groups of folders with equal content, each with what its copies but
  // the first take on disk (a file with several names counted once).
  // Each group's folders in path order, the first the copy that would be kept.
  void AddGroups(const TContentKey& key, const TFileNames& names, TPathStyle style,
                 TDuplicateResult& result);

 private:
  struct TEntry {
    std::string_view Name;
    bool Folder = false;
    THash128 Value;
  };
  template <class FileValue>
  [[nodiscard]] bool Sign(TNodeId folder, const std::vector<THash128>& below, FileValue value,
                          THash128& sign);
  [[nodiscard]] std::vector<std::vector<TNodeId>> EqualRuns(const std::vector<THash128>& signs,
                                                            const std::vector<char>& eligible,
                                                            const std::vector<char>& wanted) const;
  [[nodiscard]] std::vector<TNodeId> Measure(const std::vector<TNodeId>& run,
                                             const TFileNames& names, TDuplicateGroup& group) const;
  void ForFilesBelow(TNodeId folder, const std::function<void(TFileId)>& visit) const;

  const TFileRecordStore& Files;
  const TFolderTree& Tree;
  std::uint64_t MinSize;
  TFolderFileIndex Index;
  std::vector<char> Candidate;  // per folder
  std::vector<char> Below;      // per folder: a candidate or inside one
  std::vector<TEntry> Entries;  // one folder's, reused
  TRunningHash Running;
};

}  // namespace Vellumetric
