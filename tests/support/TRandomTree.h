#pragma once

#include <cstdint>
#include <string>

namespace Vellumetric::Testing {

// Grows a random tree below `root` (which must exist) from `seed`: bushy, wide, deep or mixed
// by seed, with unicode and awkward names, empty folders, many equal sizes, symbolic links, and
// (when `lockSome`) a few folders without permissions. Deterministic for a seed.
void MakeRandomTree(const std::string& root, std::uint32_t seed, bool lockSome);

}  // namespace Vellumetric::Testing
