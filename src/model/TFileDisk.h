#pragma once

#include <cstdint>

namespace Vellumetric {

// What a file takes on the disk, beside the bytes it holds. The flags say why the two differ.
enum : std::uint8_t {
  // One of several names of one file: its blocks count at the name the scan met first, every
  // other name shows 0 on disk.
  DiskHardLink = 1,
  // Holes or compression: fewer blocks than the bytes would fill.
  DiskSparse = 2,
  DiskCompressed = 4,
  // Its data lives in the cloud; it is never opened, since opening one downloads it.
  DiskOnlineOnly = 8,
  DiskFlagMask = 15,
};

struct TFileDisk {
  std::uint64_t Bytes = 0;
  std::uint8_t Flags = 0;
};

}  // namespace Vellumetric
