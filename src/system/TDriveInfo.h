#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Vellumetric {

inline constexpr std::size_t DriveFeatureCount = 19;

// One drive's volume data, already formatted for the drive page.
struct TDriveInfo {
  std::string RootPath;
  std::string SerialNumber;
  std::string FileSystem;
  std::string MaxNameLength;
  std::string TotalSpace;
  std::string FreeSpace;
  std::string TotalClusters;
  std::string FreeClusters;
  std::string SectorsPerCluster;
  std::string BytesPerSector;
  std::array<bool, DriveFeatureCount> Features{};
};

// What the platform's volume queries return, before formatting. `Flags` holds the Windows
// file-system flag bits (FILE_CASE_SENSITIVE_SEARCH = bit 0 ...); the POSIX back end derives
// them from a table per file-system type.
struct TVolumeFacts {
  bool Valid = false;
  std::uint32_t Serial = 0;
  std::string FileSystem;
  std::uint32_t MaxNameLength = 0;
  std::uint64_t TotalBytes = 0;
  std::uint64_t UserFreeBytes = 0;
  std::uint64_t TotalClusters = 0;
  std::uint64_t FreeClusters = 0;
  std::uint32_t SectorsPerCluster = 0;
  std::uint32_t BytesPerSector = 0;
  std::uint32_t Flags = 0;
};

// The row captions of the 19 features, in page order, and the flag bit of each.
struct TDriveFeature {
  const char* Caption;
  int Bit;
};
[[nodiscard]] const std::array<TDriveFeature, DriveFeatureCount>& DriveFeatures();

// The volume serial as the system prints it: eight upper-case hex digits, dash after the fourth.
[[nodiscard]] std::string FormatVolumeSerial(std::uint32_t serial);
// Formats the facts as the drive page shows them. Invalid facts give empty texts and every
// feature off.
[[nodiscard]] TDriveInfo FormatDriveInfo(std::string_view root, const TVolumeFacts& facts,
                                         std::string_view decimalSeparator = ".");

// Queries the volume that holds `root` and formats it.
[[nodiscard]] TDriveInfo GatherDriveInfo(std::string_view root,
                                         std::string_view decimalSeparator = ".");
// The platform part of that: the raw facts.
[[nodiscard]] TVolumeFacts QueryVolumeFacts(std::string_view root);

}  // namespace Vellumetric
