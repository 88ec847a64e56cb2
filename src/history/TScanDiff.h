#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "history/TScanSnapshot.h"
#include "system/PathRules.h"

namespace Vellumetric {

// One folder of a comparison, matched by its path; a folder missing on one side has size 0
// there.
struct TFolderChange {
  std::string Path;
  std::uint64_t Before = 0;
  std::uint64_t After = 0;
  // The folder's index in the newer scan's folders; NoNode for a gone folder.
  std::uint32_t AfterIndex = NoNode;
  [[nodiscard]] std::int64_t Change() const noexcept {
    return static_cast<std::int64_t>(After) - static_cast<std::int64_t>(Before);
  }
};

// What changed between two scans of one root. A growth (shrink) spot is a folder whose size grew
// (shrank) and where no single subfolder accounts for 90 % or more of that change: the folder
// where the bytes arrived or left, not its ancestors. New and gone folders are the tops of the
// subtrees that appeared or disappeared.
struct TScanDiff {
  std::int64_t TotalChange = 0;
  std::vector<TFolderChange> Growth;   // largest growth first
  std::vector<TFolderChange> Shrink;   // largest shrink first
  std::vector<TFolderChange> Added;    // largest first
  std::vector<TFolderChange> Removed;  // largest first
  // How many there were before the lists were cut to `top`.
  std::size_t GrowthCount = 0;
  std::size_t ShrinkCount = 0;
  std::size_t AddedCount = 0;
  std::size_t RemovedCount = 0;
  // For each folder of the newer scan, its index in the older scan's folders (NoNode when it is
  // new): what a window needs to show any folder's change, not only the listed ones.
  std::vector<std::uint32_t> BeforeIndex;
};

// Both snapshots need their folders, in pre-order (as the history stores them).
[[nodiscard]] TScanDiff DiffScans(const TScanSnapshot& before, const TScanSnapshot& after,
                                  std::size_t top, TPathStyle style);

}  // namespace Vellumetric
