#include "system/InfoPageRows.h"

#include "system/Formatting.h"

namespace Vellumetric {
namespace {

std::string Trim(std::string text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<TInfoPageRow> DrivePageRows(const TDriveInfo& d) {
  std::vector<TInfoPageRow> rows = {
      {"General", "", 0, 0},
      {"Path", d.RootPath, -1, 1},
      {"Serial Number", d.SerialNumber, -1, 1},
      {"File System", d.FileSystem, -1, 1},
      {"Maximum File Name Length", d.MaxNameLength, -1, 1},
      {"Total Space", d.TotalSpace, -1, 1},
      {"Free Space", d.FreeSpace, -1, 1},
      {"Total Cluster", d.TotalClusters, -1, 1},
      {"Free Cluster", d.FreeClusters, -1, 1},
      {"Sectors per Cluster", d.SectorsPerCluster, -1, 1},
      {"Bytes per Sector", d.BytesPerSector, -1, 1},
      {"", "", -1, 0},
      {"File System Features", "", 0, 0},
  };
  for (std::size_t i = 0; i < DriveFeatureCount; ++i) {
    const bool on = d.Features[i];
    rows.push_back({DriveFeatures()[i].Caption, on ? "Yes" : "No", on ? 1 : 2, 1});
  }
  return rows;
}

std::vector<TInfoPageRow> FolderPageRows(std::string_view path, const TFolderData* node,
                                         std::string_view decimalSeparator) {
  std::vector<TInfoPageRow> rows = {{"General", "", 0, 0}, {"Path", std::string(path), -1, 1}};
  if (node) {
    rows.push_back({"Size", Trim(FormatSize(node->Size, 1, decimalSeparator)), -1, 1});
    rows.push_back({"Contains",
                    std::to_string(node->FileCount) + " Files, " +
                        std::to_string(node->FolderCount) + " Folders",
                    -1, 1});
    // Whoever reads the totals learns that some folders below added nothing they could see.
    rows.push_back({"Unreadable folders below", std::to_string(node->UnreadableBelow), -1, 1});
    rows.push_back({"Size on disk", Trim(FormatSize(node->DiskSize, 1, decimalSeparator)), -1, 1});
  }
  return rows;
}

std::vector<TInfoPageRow> DriveScanRows(const TFolderData& root, const TVolumeFacts& facts,
                                        std::string_view decimalSeparator) {
  const auto size = [&](std::uint64_t bytes) {
    return Trim(FormatSize(bytes, 1, decimalSeparator));
  };
  // Values short enough for the drive page's narrow value column.
  std::vector<TInfoPageRow> rows = {
      {"", "", -1, 0},
      {"Scan", "", 0, 0},
      {"Size", size(root.Size), -1, 1},
      {"Size on disk", size(root.DiskSize), -1, 1},
  };
  if (!facts.Valid || facts.UserFreeBytes > facts.TotalBytes) return rows;
  const std::uint64_t inUse = facts.TotalBytes - facts.UserFreeBytes;
  // Files written while the scan ran can make it find more than was in use when it ended.
  const std::uint64_t missing = inUse > root.DiskSize ? inUse - root.DiskSize : 0;
  rows.push_back({"In use on the drive", size(inUse), -1, 1});
  rows.push_back({"Not found by the scan", size(missing), -1, 1});
  return rows;
}

}  // namespace Vellumetric
