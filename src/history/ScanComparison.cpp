#include "history/ScanComparison.h"

#include <algorithm>

namespace Vellumetric {
namespace {

bool OfOneRoot(const TScanSnapshot& from, const TScanSnapshot& to, std::string& error) {
  if (from.Root == to.Root) return true;
  error = "scans " + std::to_string(from.Id) + " and " + std::to_string(to.Id) +
          " are of different folders (" + from.Root + ", " + to.Root + ")";
  return false;
}

}  // namespace

bool LoadScansToCompare(THistoryDatabase& db, const std::string& root, std::int64_t fromId,
                        std::int64_t toId, TScanSnapshot& from, TScanSnapshot& to,
                        std::string& error) {
  if (fromId == 0 || toId == 0) {
    std::vector<TScanSnapshot> scans;
    if (!db.ListScans(root, scans)) {
      error = "cannot read the scan history: " + db.Error();
      return false;
    }
    if (root.empty() && !scans.empty()) {
      // Without a root: the folder scanned last.
      const std::string newest = scans.front().Root;
      std::erase_if(scans, [&](const TScanSnapshot& s) { return s.Root != newest; });
    }
    if (scans.size() < 2) {
      const std::string which =
          root.empty() ? (scans.empty() ? "any folder" : scans[0].Root) : root;
      error = "the history holds " + std::to_string(scans.size()) + " scan" +
              (scans.size() == 1 ? "" : "s") + " of " + which +
              "; scan it again to see what changed";
      return false;
    }
    fromId = scans[1].Id;
    toId = scans[0].Id;
  }
  if (!db.LoadScan(fromId, from) || !db.LoadScan(toId, to)) {
    error = db.Error();
    return false;
  }
  return OfOneRoot(from, to, error);
}

bool ListEarlierScans(THistoryDatabase& db, const TScanSnapshot& current,
                      std::vector<TScanSnapshot>& earlier, std::string& error) {
  if (!db.ListScans(current.Root, earlier)) {
    error = "cannot read the scan history: " + db.Error();
    return false;
  }
  if (current.Id != 0) {
    std::erase_if(earlier, [&](const TScanSnapshot& s) { return s.Id >= current.Id; });
  } else {
    const auto kept = static_cast<std::size_t>(std::max(0, db.Keep() - 1));
    if (earlier.size() > kept) earlier.resize(kept);
  }
  return true;
}

bool CompareWithStoredScan(THistoryDatabase& db, std::int64_t fromId, const TScanSnapshot& to,
                           std::size_t top, TPathStyle style, TScanSnapshot& from, TScanDiff& diff,
                           std::string& error) {
  if (!db.LoadScan(fromId, from)) {
    error = db.Error();
    return false;
  }
  if (!OfOneRoot(from, to, error)) return false;
  diff = DiffScans(from, to, top, style);
  return true;
}

}  // namespace Vellumetric
