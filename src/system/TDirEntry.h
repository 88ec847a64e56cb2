#pragma once

#include <cstdint>
#include <string_view>

#include "system/TFileIdentity.h"

namespace Vellumetric {

// One directory entry as a listing reports it. `Name` stays valid until the next call on the
// lister that produced it.
struct TDirEntry {
  std::string_view Name;
  bool IsDirectory = false;
  std::uint64_t Size = 0;
  std::uint64_t LastAccess = 0;  // file time: 100 ns units since 1601-01-01 UTC, 0 for none
  // The system's error code when the entry was named by the listing but could not be measured
  // (its size and time are then 0), else 0. An entry that vanished meanwhile is not reported.
  std::int32_t Error = 0;
  // The bytes allocated to the entry (for a folder, to the folder itself) and why they differ
  // from Size (DiskSparse, DiskCompressed, DiskOnlineOnly of model/TFileDisk.h).
  std::uint64_t DiskSize = 0;
  std::uint8_t DiskFlags = 0;
  TFileIdentity Identity;
  // A folder that the scan's exclusion rules leave out: the caller does not enter it. Set only
  // by a lister that applies rules.
  bool Excluded = false;
  // When the entry's content last changed (POSIX st_mtim, Windows ftLastWriteTime: what file
  // managers call "modified"), as LastAccess gives times. Not the status change (st_ctim), which
  // a chmod, a rename or a restore from backup resets.
  std::uint64_t LastChange = 0;
};

}  // namespace Vellumetric
