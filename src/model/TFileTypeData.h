#pragma once

#include <cstdint>
#include <string>

#include "model/TFileRecordStore.h"
#include "model/TPathText.h"

namespace Vellumetric {

// One scanned file, as the biggest-files list keeps it. `Path` is the containing folder's path as
// the scan built it (shared with the folder node, never normalised); `LastAccess` is a raw file
// time (100 ns units since 1601).
struct TFileTypeData {
  std::string Name;
  TPathText Path;
  std::uint64_t Size = 0;
  bool PathPending = true;
  std::uint64_t LastAccess = 0;
  std::int32_t GroupID = 0;
  // What it takes on the disk (0 for the later names of a file with several) and why that
  // differs from Size; a file read back from a summary file has neither.
  std::uint64_t DiskSize = 0;
  std::uint8_t DiskFlags = 0;
  // Its record in the scan's file records, when the scan kept them.
  TFileId File = NoFile;

  [[nodiscard]] std::uint64_t Bytes(TMeasure measure) const noexcept {
    return measure == TMeasure::Disk ? DiskSize : Size;
  }
};

}  // namespace Vellumetric
