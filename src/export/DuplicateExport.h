#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "duplicates/TDuplicateResult.h"
#include "export/ExportTables.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"

namespace Vellumetric {

// The groups of a duplicate search, most wasted first, at most `top` of them (0 for all). CSV: a
// row per copy with its group's number (from 1), kind, size (bytes and as shown), bytes on disk
// and wasted bytes, the copy's place in its group (1 is the copy that would be kept) and its full
// path. JSON: {"root", "groups": [{"kind": "files" | "folders", "size", "disk_bytes", "wasted",
// "paths": [...]}], "group_count", "copies", "left_out", "online_only", "wasted"}, where the
// totals cover every group, also those beyond `top`.
[[nodiscard]] std::string ExportDuplicates(const TDuplicateResult& result, std::size_t top,
                                           const TFileRecordStore& files, const TFolderTree& tree,
                                           std::string_view sourcePath,
                                           const TExportOptions& options);

}  // namespace Vellumetric
