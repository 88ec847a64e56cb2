#pragma once

#include <string>

#include "model/TBiggestFileList.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

struct TReportOptions {
  bool AsDrive = false;
  int Depth = -1;  // levels below the root; -1 for all
  TPathStyle Style = TPathStyle::Posix;
};

// Each expects the tree sorted largest first at every level.
[[nodiscard]] std::string TextReport(const TFolderTree& tree, const TBiggestFileList& biggest,
                                     const TReportOptions& options);
[[nodiscard]] std::string JsonReport(const TFolderTree& tree, const TBiggestFileList& biggest,
                                     const TReportOptions& options);
[[nodiscard]] std::string QuietReport(const TFolderTree& tree);

}  // namespace Vellumetric
