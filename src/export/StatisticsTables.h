#pragma once

#include <string>
#include <string_view>

#include "export/ExportTables.h"
#include "statistics/FileStatistics.h"

namespace Vellumetric {

// Which of the statistics a table holds: the size histogram with its percentiles, the years and
// months of last access and last change, or both.
enum class TStatisticsPart { Sizes = 1, Ages = 2, Both = 3 };

// The statistics of a scan's files under `root`.
// CSV: one row per size bucket ("size"), percentile ("percentile"), and year and month of last
// access and of last change ("access_year", "access_month", "change_year", "change_month"), in
// the columns table, name, from, to, count, bytes, disk_bytes. A bucket's from and to are bytes,
// [from, to); a period's are its local start and the next one's in ISO 8601; a percentile has
// its size in from. Files without a time are a period named "unknown" with no from and to.
// JSON: {"root", "files", "bytes", "size_buckets": [{"from", "to", "count", "bytes",
// "disk_bytes"}], "percentiles": {"P0": BYTES, ..., "P100": BYTES}, "access_years": [{"year",
// "count", "bytes", "disk_bytes"}], "change_years": [...]}, the parts not asked for left out;
// files without a time make a year of null, and with no file the percentiles are null.
[[nodiscard]] std::string ExportStatistics(const TFileStatistics& stats, std::string_view root,
                                           TStatisticsPart part, const TExportOptions& options);

}  // namespace Vellumetric
