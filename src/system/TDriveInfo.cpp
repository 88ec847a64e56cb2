#include "system/TDriveInfo.h"

#include "system/Formatting.h"

namespace Vellumetric {

const std::array<TDriveFeature, DriveFeatureCount>& DriveFeatures() {
  static const std::array<TDriveFeature, DriveFeatureCount> kFeatures = {{
      {"Case is Preserved", 1},
      {"Case Sensitive", 0},
      {"File Compression Support", 4},
      {"Named Streams Support", 18},
      {"Preserves and Enforces ACLs", 3},
      {"Read Only Volume", 19},
      {"Single Sequential Write Support", 20},
      {"Encrypted File System Support", 17},
      {"Extended Attributes Support", 23},
      {"Hard Links Support", 22},
      {"Object Identifiers Support", 16},
      {"Open by FileID Support", 24},
      {"Re-parse Points Support", 7},
      {"Sparse Files Support", 6},
      {"Transactions Support", 21},
      {"Update Sequence Number Journals Support", 25},
      {"Unicode in File Names Support", 2},
      {"Volume is Compressed", 15},
      {"Disk Quotas Support", 5},
  }};
  return kFeatures;
}

std::string FormatVolumeSerial(std::uint32_t serial) {
  // Always eight digits, as the system's own tools print it ("0703-5919"): a shorter minimum
  // would drop leading zeros and put the dash after the wrong digit.
  const std::string digits = FormatPattern("%0.08x", {serial});
  return digits.substr(0, 4) + "-" + digits.substr(4);
}

TDriveInfo FormatDriveInfo(std::string_view root, const TVolumeFacts& facts,
                           std::string_view decimalSeparator) {
  TDriveInfo info;
  info.RootPath = std::string(root);
  if (!facts.Valid) return info;  // a failed query shows empty values and every feature "No"
  info.SerialNumber = FormatVolumeSerial(facts.Serial);
  info.FileSystem = FormatPattern("%s", {facts.FileSystem});
  info.MaxNameLength = FormatPattern("%d", {facts.MaxNameLength});
  // Whole GB, truncated, held as 32-bit integers.
  const auto totalGB = static_cast<std::int32_t>(facts.TotalBytes >> 30);
  const auto freeGB = static_cast<std::int32_t>(facts.UserFreeBytes >> 30);
  float percent = 0;
  if (totalGB > 0) {
    percent = static_cast<float>(static_cast<double>(freeGB) * 100.0 / totalGB);
  } else if (facts.TotalBytes > 0) {
    // Below 1 GB the whole-GB quotient has no value: use the byte counts instead.
    percent = static_cast<float>(static_cast<long double>(facts.UserFreeBytes) * 100.0L /
                                 static_cast<long double>(facts.TotalBytes));
  }
  info.TotalSpace = FormatPattern("%d GB", {totalGB});
  info.FreeSpace = FormatPattern("%d GB (%2f%%)", {freeGB, double{percent}}, decimalSeparator);
  info.TotalClusters = FormatPattern("%d", {facts.TotalClusters});
  info.FreeClusters = FormatPattern("%d", {facts.FreeClusters});
  info.SectorsPerCluster = FormatPattern("%d", {facts.SectorsPerCluster});
  info.BytesPerSector = FormatPattern("%d", {facts.BytesPerSector});
  for (std::size_t i = 0; i < DriveFeatureCount; ++i) {
    info.Features[i] = (facts.Flags >> DriveFeatures()[i].Bit) & 1u;
  }
  return info;
}

TDriveInfo GatherDriveInfo(std::string_view root, std::string_view decimalSeparator) {
  return FormatDriveInfo(root, QueryVolumeFacts(root), decimalSeparator);
}

}  // namespace Vellumetric
