#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "exclude/TExclusionRules.h"
#include "model/TFolderData.h"

namespace Vellumetric {

// The folders of a scan's tree that `rules` would leave out, in the tree's order, at most
// `limit`; a folder below one already left out is not listed again. Folders the scan left out
// itself are checked like the others. Marker rules look on disk, so this may take a while on a
// big tree: `stop` is polled once per folder.
[[nodiscard]] std::vector<TNodeId> FoldersRulesLeaveOut(const TFolderTree& tree,
                                                        const TExclusionRules& rules,
                                                        std::size_t limit,
                                                        const std::function<bool()>& stop = {});

// How many folders below `node` (itself included) a scan's rules left out.
[[nodiscard]] std::uint32_t ExcludedFoldersBelow(const TFolderTree& tree, TNodeId node);
// Whether any folder of the tree, below any root, was left out: one pass over the folders in
// storage order, several times faster than following the tree.
[[nodiscard]] bool AnyFolderExcluded(const TFolderTree& tree);

}  // namespace Vellumetric
