#pragma once

#include <string>
#include <vector>

namespace Vellumetric {

// `open FILE ...` for an ncdu export (plain, .gz or .zst): the scan it holds, reported as `scan`
// reports a folder, with the same options (--json, --csv, --quiet, --depth, --measure).
int RunOpenScanFile(const std::string& file, const std::vector<std::string>& options);
// `history import FILE [--as NAME]`: the scan an ncdu export holds, added to the scan history
// under NAME (default: the root named in the file), dated by the file's timestamp.
int RunHistoryImport(const std::vector<std::string>& args);

}  // namespace Vellumetric
