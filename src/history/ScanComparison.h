#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "history/THistoryDatabase.h"
#include "history/TScanDiff.h"
#include "history/TScanSnapshot.h"
#include "system/PathRules.h"

namespace Vellumetric {

// How many folders of each kind a comparison lists unless told otherwise: `diff` on the command
// line and the window's Changes tab show the same lists.
inline constexpr std::size_t DefaultChangeListLength = 20;

// The two stored scans `diff` compares, both with their folders: `fromId` and `toId` when given,
// else the two newest scans of `root` (as NormalizeScanRoot spells it), or of the folder scanned
// last when `root` is empty. Both must be scans of one root. False with a one-line reason in
// `error`.
[[nodiscard]] bool LoadScansToCompare(THistoryDatabase& db, const std::string& root,
                                      std::int64_t fromId, std::int64_t toId, TScanSnapshot& from,
                                      TScanSnapshot& to, std::string& error);

// The stored scans `current` can be compared with: the kept scans of its root from before it,
// newest first, without their folders. A scan not stored yet (Id 0) is about to be, and that
// store drops the root's oldest scans beyond the number kept: those are left out already.
[[nodiscard]] bool ListEarlierScans(THistoryDatabase& db, const TScanSnapshot& current,
                                    std::vector<TScanSnapshot>& earlier, std::string& error);

// Loads stored scan `fromId` into `from` and compares it with `to`, a scan of the same root
// (stored or just finished).
[[nodiscard]] bool CompareWithStoredScan(THistoryDatabase& db, std::int64_t fromId,
                                         const TScanSnapshot& to, std::size_t top, TPathStyle style,
                                         TScanSnapshot& from, TScanDiff& diff, std::string& error);

}  // namespace Vellumetric
