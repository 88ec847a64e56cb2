#pragma once

#include <cstdint>
#include <string>

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
};

}  // namespace Vellumetric
