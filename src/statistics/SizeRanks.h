#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/TFileRecordStore.h"

namespace Vellumetric {

// Files counted by size bucket: entry n holds the files of [2^(n-1), 2^n), entry 0 the empty
// ones (std::bit_width of the size).
using TBucketCounts = std::array<std::uint64_t, 65>;

// Which records take part: one bit per file id; an empty set takes every file.
struct TFileSelection {
  std::vector<std::uint64_t> Bits;

  [[nodiscard]] bool Everything() const noexcept { return Bits.empty(); }
  [[nodiscard]] bool Has(TFileId id) const noexcept {
    return Bits.empty() || ((Bits[id / 64] >> (id % 64)) & 1) != 0;
  }
};

// The sizes at `ranks` (1 for the smallest, counted among the selected files, each no larger
// than their number) given each bucket's count. Each rank's range is narrowed from its bucket,
// 12 bits of the size per pass over the records, until one size is left: a radix select, which
// needs no copy of every size (40 MB for five million files), in at most six passes, three for
// files under 4 GiB.
[[nodiscard]] std::vector<std::uint64_t> SizesAtRanks(const TFileRecordStore& files,
                                                      const TFileSelection& selected,
                                                      const TBucketCounts& buckets,
                                                      std::span<const std::uint64_t> ranks);

}  // namespace Vellumetric
