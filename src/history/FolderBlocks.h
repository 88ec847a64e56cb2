#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "history/TScanSnapshot.h"

namespace Vellumetric {

// A scan's folders are stored in blocks of up to FolderBlockSize consecutive folders (pre-order),
// each block one blob of variable-length integers: per folder its distance to its parent (0 for
// the root), the name's length and bytes, size, file count and folder count. One blob per block
// instead of one row per folder makes storing and pruning a 100,000-folder scan a few dozen
// row operations, and a folder takes about twenty bytes.
inline constexpr std::size_t FolderBlockSize = 2048;

// Encodes folders [first, first + count) of `scan`.
[[nodiscard]] std::string EncodeFolderBlock(const TScanSnapshot& scan, std::size_t first,
                                            std::size_t count);

// Appends the folders of one block to `scan`. False when the block does not decode to folders
// whose parents come before them (a damaged file); its folders are then unspecified.
[[nodiscard]] bool DecodeFolderBlock(std::string_view block, TScanSnapshot& scan);

}  // namespace Vellumetric
