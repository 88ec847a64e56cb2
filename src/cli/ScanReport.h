#pragma once

#include <string>

#include "cli/TCliSession.h"
#include "model/TBiggestFileList.h"
#include "model/TFolderData.h"
#include "model/TUnreadableList.h"
#include "system/PathRules.h"

namespace Vellumetric {

struct TReportOptions {
  bool AsDrive = false;
  int Depth = -1;  // levels below the root; -1 for all
  TPathStyle Style = TPathStyle::Posix;
  const std::vector<TGroupTotal>* Groups = nullptr;  // the Detail summary, when one was made
  const TUnreadableList* Unreadable = nullptr;       // what the scan could not read
  // What shares are of; the caller sorts the tree and picks the biggest files by it too.
  TMeasure Measure = TMeasure::Size;
};

// Each expects the tree sorted largest first at every level.
[[nodiscard]] std::string TextReport(const TFolderTree& tree, const TBiggestFileList& biggest,
                                     const TReportOptions& options);
[[nodiscard]] std::string JsonReport(const TFolderTree& tree, const TBiggestFileList& biggest,
                                     const TReportOptions& options);
[[nodiscard]] std::string QuietReport(const TFolderTree& tree, const TUnreadableList& unreadable);
// The JSON fields of a file's allocation: "disk_bytes", then "hardlink", "sparse", "compressed"
// and "online_only" set to true where they apply.
void AppendDiskJson(std::string& out, std::uint64_t diskBytes, std::uint8_t diskFlags);
// The lines for stderr about what could not be read: the counts, then up to `shown` paths with
// their reasons; empty when everything was read.
[[nodiscard]] std::string UnreadableWarning(const TUnreadableList& unreadable, std::size_t shown);

// Both pages of an opened summary file.
[[nodiscard]] std::string SummaryTextReport(const std::string& root, const TSummaryTree& general,
                                            const TSummaryTree& detail);
[[nodiscard]] std::string SummaryJsonReport(const std::string& root, const TSummaryTree& general,
                                            const TSummaryTree& detail);

}  // namespace Vellumetric
