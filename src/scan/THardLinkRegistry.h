#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "model/TFileRecordStore.h"
#include "system/TFileIdentity.h"

namespace Vellumetric {

// Decides, for each file that may have several names, whether the walk meets it for the first
// time: only that name's blocks count on disk, as du counts them. One per scan, fed in the
// walk's order, so the answer does not depend on how many threads listed the folders.
//
// Linux listings give an identity only to files with more than one link: a hash map of those.
// Windows listings give no link count, so every file has an identity there; on NTFS the file
// number is a master-file-table record number, and a table indexed by record numbers (pages of
// 256 made as the records are met) costs 4 bytes per record of the pages touched instead of a
// hash node per file. The pages are small because the records a scan meets are often spread
// over the whole table (a folder's files were made years apart, or the scan is of one folder of
// a full drive): pages of 4,096 cost 16 KB for each file that lands alone on one.
class THardLinkRegistry {
 public:
  struct TClaim {
    bool First = true;
    TFileId FirstFile = NoFile;   // the file whose blocks count; `file` itself when First
    std::uint32_t NamesSeen = 1;  // names of this file met so far, this one included
  };

  // `file`: the record the name is about to get (NoFile when the scan keeps no records).
  [[nodiscard]] TClaim Claim(const TFileIdentity& identity, TFileId file);
  void Clear();

 private:
  struct TKey {
    std::uint64_t Volume;
    std::uint64_t File;
    bool operator==(const TKey&) const = default;
  };
  struct TKeyHash {
    std::size_t operator()(const TKey& k) const noexcept {
      return std::hash<std::uint64_t>()(k.File * 0x9E3779B97F4A7C15ULL ^ k.Volume);
    }
  };
  struct TSeen {
    TFileId First;
    std::uint32_t Names;
  };
  static constexpr unsigned PageBits = 8;
  static constexpr unsigned DenseRecordBits = 28;
  static constexpr std::uint64_t RecordMask = (std::uint64_t{1} << 48) - 1;
  // The dense pages keep the first file's id plus one (0: not met); NoFile when the scan keeps no
  // records, which then only needs to know whether a record was met.
  using TPages = std::vector<std::unique_ptr<std::uint32_t[]>>;

  TClaim ClaimDense(const TFileIdentity& identity, TFileId file);
  TClaim ClaimHashed(const TKey& key, TFileId file);

  std::unordered_map<TKey, TSeen, TKeyHash> Hashed;
  std::unordered_map<std::uint64_t, TPages> Dense;  // by volume
};

}  // namespace Vellumetric
