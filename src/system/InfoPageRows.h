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
// The folder page: General and Path, plus Size and Contains when a node is given.
[[nodiscard]] std::vector<TInfoPageRow> FolderPageRows(std::string_view path,
                                                       const TFolderData* node,
                                                       std::string_view decimalSeparator = ".");

}  // namespace Vellumetric
