#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "find/TFileQuery.h"
#include "model/TBiggestFileList.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TSummaryTree.h"
#include "system/PathRules.h"

namespace Vellumetric {

// What the results of a scan can be taken elsewhere as. Every table comes as CSV (TCsvText: a
// header row, sizes in bytes and as shown, times in ISO 8601 with the UTC offset, empty when
// unknown) or as one JSON document (sizes in bytes, times as "last_access", the raw file time,
// beside "last_access_unix", seconds since 1970, both null when unknown). Shown sizes use the
// program's size rule with a '.' decimal point, whatever the locale, so the files read the same
// everywhere.
enum class TExportFormat { Csv, Json };

struct TExportOptions {
  TExportFormat Format = TExportFormat::Csv;
  TPathStyle Style = TPathStyle::Posix;
  int Depth = -1;  // the folder tree: levels below the root to write, -1 for all
  // What shares are of: the bytes the files hold or those they take on disk.
  TMeasure Measure = TMeasure::Size;
  // Local time's offset from UTC (seconds) at a moment: the system's rules unless replaced.
  std::function<std::int32_t(std::int64_t)> UtcOffset;
};

// The folder tree from `root` in the order it has (the views sort it largest first): each folder
// with its path, name, depth below the root, size, files, folders, share of its parent (in
// percent, one decimal, of the options' measure; empty for the root) and bytes on disk.
[[nodiscard]] std::string ExportFolderTree(const TFolderTree& tree, TNodeId root,
                                           const TExportOptions& options);

// The biggest files, largest first; `sourcePath` is the scanned root, for the shown location.
[[nodiscard]] std::string ExportBiggestFiles(const TBiggestFileList& biggest,
                                             std::string_view sourcePath,
                                             const TExportOptions& options);

// One row per group of the Detail page, in its order: the group's name without the count the
// page appends, its files, size and share of all grouped bytes.
[[nodiscard]] std::string ExportDetailGroups(const TSummaryTree& detail,
                                             const TExportOptions& options);

// The files a query found, in the result's order, each with its group's name (empty for none)
// and last access; the JSON form also gives the count and bytes of every match.
[[nodiscard]] std::string ExportFoundFiles(const TFindResult& found, const TFileRecordStore& files,
                                           const TFolderTree& tree, const TFileExtDescList& groups,
                                           std::string_view sourcePath,
                                           const TExportOptions& options);

// Writes an export to `path` through the atomic writer: the file is either the old one or the
// complete new one (a full disk never leaves half a file); `error` gets the system's reason.
[[nodiscard]] bool WriteExportFile(const std::string& path, std::string_view bytes,
                                   TPathStyle style, std::string& error);

}  // namespace Vellumetric
