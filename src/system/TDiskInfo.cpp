#include "system/TDiskInfo.h"

namespace Vellumetric {

void FillDiskUsage(TDiskInfo& disk, std::uint64_t capacity, std::uint64_t available) {
  constexpr double kGiB = 1073741824.0;
  disk.TotalGB = static_cast<double>(capacity) / kGiB;
  disk.FreeGB = static_cast<double>(available) / kGiB;
  disk.UsedGB =
      static_cast<double>(capacity - (available < capacity ? available : capacity)) / kGiB;
  disk.UsedPercent =
      disk.TotalGB > 0 ? static_cast<float>(disk.UsedGB * 100.0 / disk.TotalGB) : 0.0f;
}

}  // namespace Vellumetric
