#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/TBiggestFileList.h"
#include "model/TSummaryTree.h"
#include "system/PathRules.h"

namespace Vellumetric {

inline constexpr const char* BiggestFilesTitle = "20 Biggest Files";

// Builds the General page's one section from the biggest-files list, largest first, each file
// at its folder path as the scan recorded it. `fileIcon` gives the small icon index of a file
// path (or -1); `sectionIcon` is the section's own icon index.
TNodeId BuildBiggestFilesSection(TSummaryTree& general, const TBiggestFileList& biggest,
                                 TPathStyle style,
                                 const std::function<std::int32_t(const std::string&)>& fileIcon,
                                 std::int32_t sectionIcon);

// The Detail page's order once the summary worker has ended: groups by their total, largest
// first, and each group's files largest first, by the measure the user chose.
void SortDetailTree(TSummaryTree& detail, TMeasure measure = TMeasure::Size);

}  // namespace Vellumetric
