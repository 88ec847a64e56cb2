#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vellumetric {

// One fixed drive of the disk list. On POSIX a "drive" is a mounted local file system on a
// non-removable block device, its root the mount point and `Letter` 0.
struct TDiskInfo {
  std::string Name;  // label + " (" + root + ")"
  std::string RootPath;
  double TotalGB = 0;
  double UsedGB = 0;
  double FreeGB = 0;
  float UsedPercent = 0;
  char Letter = 0;
  std::int32_t Top = 0;
  std::int32_t Bottom = 0;
};

using TDiskList = std::vector<TDiskInfo>;

// The usage figures of a drive from its capacity and the bytes available to the user; a
// capacity of 0 gives zeros rather than a division by zero.
void FillDiskUsage(TDiskInfo& disk, std::uint64_t capacity, std::uint64_t available);

// Appends one record per fixed drive, in drive order (POSIX: mount-point order).
void BuildDiskList(TDiskList& disks);

}  // namespace Vellumetric
