#pragma once

#include <cstdint>
#include <string>

#include "system/ntfs/NtfsBytes.h"

namespace Vellumetric {

// The fields of an NTFS boot sector that locate the MFT, checked for sense.
struct TNtfsBootSector {
  std::uint32_t BytesPerSector = 0;
  std::uint32_t ClusterSize = 0;
  std::uint64_t TotalClusters = 0;
  std::uint64_t MftLcn = 0;
  std::uint32_t RecordSize = 0;
  std::uint64_t Serial = 0;

  // False, with the reason, when the bytes are not an NTFS boot sector or their geometry makes
  // no sense (sizes that are not powers of two, an MFT outside the volume).
  [[nodiscard]] static bool Parse(TNtfsBytes sector, TNtfsBootSector& out, std::string& reason);
};

}  // namespace Vellumetric
