#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/TFolderData.h"
#include "system/TDriveInfo.h"

namespace Vellumetric {

// One row of the information page: caption, value, image (0 heading, 1 "Yes", 2 "No", -1 none)
// and indent level. The list view only shows these; the CLI prints them.
struct TInfoPageRow {
  std::string Field;
  std::string Value;
  int Image = -1;
  int Indent = 0;
};

// The 32 rows of a drive's page.
[[nodiscard]] std::vector<TInfoPageRow> DrivePageRows(const TDriveInfo& drive);
// The folder page: General and Path, plus Size, Contains, the unreadable folders below and Size
// on disk when a node is given.
[[nodiscard]] std::vector<TInfoPageRow> FolderPageRows(std::string_view path,
                                                       const TFolderData* node,
                                                       std::string_view decimalSeparator = ".");
// What a drive's page adds for the root of a drive scan, a section of its own: the scan's totals,
// the space the drive has in use (its capacity less its free space) and the part of it the scan
// did not find (other users' files it could not read, the file system's own records, snapshots,
// reserved blocks). The last two need `facts` of the drive, taken when the scan ended.
[[nodiscard]] std::vector<TInfoPageRow> DriveScanRows(const TFolderData& root,
                                                      const TVolumeFacts& facts,
                                                      std::string_view decimalSeparator = ".");

}  // namespace Vellumetric
