#pragma once

#include <cstddef>

namespace Vellumetric {

// A block of megabytes about to be filled front to back, on large pages where the system hands
// them out: the first touch of each small page costs the system about as much as writing it, so
// tens of megabytes then take a few dozen faults instead of thousands. Null when the memory is
// not there. Given back with FreeBulkBlock and the same size.
[[nodiscard]] void* AllocateBulkBlock(std::size_t bytes) noexcept;
void FreeBulkBlock(void* block, std::size_t bytes) noexcept;
// Gives the system back the memory of the whole pages inside `bytes` from `from`, a part of a
// bulk block that will not be read again: the block stays whole, and those pages read as zeros
// from then on, without costing memory until they are written again.
void ReleaseBulkBytes(void* from, std::size_t bytes) noexcept;

}  // namespace Vellumetric
