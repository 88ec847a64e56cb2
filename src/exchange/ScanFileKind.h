#pragma once

#include <string>

namespace Vellumetric {

enum class TScanFileKind {
  NcduExport,  // JSON (plain, gzip or zstd) that starts as an array: an ncdu export
  Other,       // anything else, such as a saved summary
  Unreadable,  // cannot be opened, or compressed in a way this build cannot read
};

// Tells a scan file from a summary file by its content, not its name: an ncdu export is JSON and
// starts with "[" (after any compression); a summary file starts with a line holding a number.
[[nodiscard]] TScanFileKind DetectScanFile(const std::string& path, std::string& error);

}  // namespace Vellumetric
