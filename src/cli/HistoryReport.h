#pragma once

#include <string>
#include <vector>

#include "history/TScanDiff.h"
#include "history/TScanSnapshot.h"

namespace Vellumetric {

// `history`: one line per scan, newest first (`root` names the folder when only its scans are
// listed). Times are the machine's local time in text, seconds since 1970 in JSON.
[[nodiscard]] std::string HistoryText(const std::vector<TScanSnapshot>& scans,
                                      const std::string& root);
[[nodiscard]] std::string HistoryJson(const std::vector<TScanSnapshot>& scans);

// `diff`: the total change, growth and shrink spots, new and gone folders.
[[nodiscard]] std::string DiffText(const TScanSnapshot& from, const TScanSnapshot& to,
                                   const TScanDiff& diff);
[[nodiscard]] std::string DiffJson(const TScanSnapshot& from, const TScanSnapshot& to,
                                   const TScanDiff& diff);

}  // namespace Vellumetric
