#pragma once

#include <cstddef>

namespace Vellumetric {

// A block of megabytes about to be filled front to back, on large pages where the system hands
// them out: the first touch of each small page costs the system about as much as writing it, so
// tens of megabytes then take a few dozen faults instead of thousands. Null when the memory is
// not there. Given back with FreeBulkBlock and the same size.
[[nodiscard]] void* AllocateBulkBlock(std::size_t bytes) noexcept;
void FreeBulkBlock(void* block, std::size_t bytes) noexcept;

}  // namespace Vellumetric
