#pragma once

#include <cstdint>
#include <string_view>

namespace Vellumetric {

// One directory entry as a listing reports it. `Name` stays valid until the next call on the
// lister that produced it.
struct TDirEntry {
  std::string_view Name;
  bool IsDirectory = false;
  std::uint64_t Size = 0;
  std::uint64_t LastAccess = 0;  // file time: 100 ns units since 1601-01-01 UTC, 0 for none
};

}  // namespace Vellumetric
