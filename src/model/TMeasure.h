#pragma once

#include <cstdint>

namespace Vellumetric {

// Which of a scan's two byte counts drives shares, order, the map and the biggest files: the
// logical bytes every directory entry holds (Size), or the bytes the files take on the disk
// (allocated blocks, each file counted once however many names it has).
enum class TMeasure : std::uint8_t { Size, Disk };

}  // namespace Vellumetric
