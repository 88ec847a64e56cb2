#pragma once

#include <cstdint>
#include <string>

namespace Vellumetric {

// Which engine may fill a scan's tree: the MFT when it can (auto), only the MFT, or the folder
// listing alone.
enum class TScanEngineChoice { Auto, Mft, Listing };

// Which engine did fill it, and why the MFT was not used when it was asked for. Written by the
// scan worker, read by its owner after the end message.
struct TScanEngineReport {
  bool UsedMft = false;
  std::string FallbackReason;        // empty when the MFT was used or never tried
  std::uint64_t MftRecords = 0;      // records the MFT holds
  std::uint64_t MftExtents = 0;      // pieces the MFT lies in on the volume
  std::uint64_t DamagedRecords = 0;  // records skipped as damaged
  std::uint64_t IndexBytes = 0;      // memory the read MFT took
};

}  // namespace Vellumetric
