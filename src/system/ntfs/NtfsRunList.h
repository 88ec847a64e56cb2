#pragma once

#include <cstdint>
#include <vector>

#include "system/ntfs/NtfsBytes.h"

namespace Vellumetric {

// One extent of a non-resident attribute: `Length` clusters starting at cluster `Lcn`, or a hole
// (sparse, or the unused part of a compression unit) when `Lcn` is NoLcn.
struct TNtfsRun {
  static constexpr std::int64_t NoLcn = -1;
  std::int64_t Lcn = NoLcn;
  std::uint64_t Length = 0;
};

// Decodes an attribute's mapping pairs. False when they are malformed: a header that runs past
// the bytes, a length of zero or above 2^48 clusters, a cluster number that goes negative or
// past `volumeClusters`, or more runs than a sane attribute has. `runs` is appended to, so the
// extents of an attribute split over several records join up.
[[nodiscard]] bool DecodeRunList(TNtfsBytes pairs, std::uint64_t volumeClusters,
                                 std::vector<TNtfsRun>& runs);

}  // namespace Vellumetric
