#pragma once

#include <functional>

#include "duplicates/TDuplicateOptions.h"
#include "duplicates/TDuplicateProgress.h"
#include "duplicates/TDuplicateResult.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"
#include "system/TContentSource.h"

namespace Vellumetric {

// Finds the files of a finished scan (and, with options.Folders, the folders) that are copies of
// one another, reading them through `source`; nothing is ever written. Safe on a worker thread
// while nothing changes the records or the tree. `stopRequested` is asked often: once it answers
// true, the search ends soon with the groups found so far and Stopped set.
[[nodiscard]] TDuplicateResult FindDuplicates(const TFileRecordStore& files,
                                              const TFolderTree& tree, TPathStyle style,
                                              const TDuplicateOptions& options,
                                              TContentSource& source, TDuplicateProgress& progress,
                                              const std::function<bool()>& stopRequested);

}  // namespace Vellumetric
