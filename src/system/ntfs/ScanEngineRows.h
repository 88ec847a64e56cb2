#pragma once

#include <vector>

#include "system/InfoPageRows.h"
#include "system/ntfs/TScanEngineReport.h"

namespace Vellumetric {

// The information page's rows on how a scan read its root: the engine that ran ("Master file
// table" or "Folder listing") and, when the MFT was tried and could not be used, why.
[[nodiscard]] std::vector<TInfoPageRow> ScanEngineRows(const TScanEngineReport& report);

}  // namespace Vellumetric
