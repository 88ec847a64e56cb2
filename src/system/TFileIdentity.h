#pragma once

#include <cstdint>

namespace Vellumetric {

// Which file a directory entry names, so that a file with several names (hard links) has its
// blocks counted once. A listing fills it only where a file may have other names.
struct TFileIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t File = 0;  // 0: not given
  // Names the system says the file has; 0 when the listing cannot tell (Windows' listings give
  // no link count, so every file there carries its identity).
  std::uint32_t Links = 0;
  // File numbers are master-file-table record numbers in the low 48 bits: small and dense, so a
  // table indexed by them costs less than a hash set of every file.
  bool Dense = false;
};

}  // namespace Vellumetric
