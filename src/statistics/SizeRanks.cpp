#include "statistics/SizeRanks.h"

#include <algorithm>

namespace Vellumetric {
namespace {

// 4,096 bins a range: eleven ranges at once stay under 200 KB, so the statistics add nothing to
// the window's memory worth measuring, at the cost of a third pass for files under 4 GiB.
constexpr unsigned kBinBits = 12;

// Sizes [Low, Low + 2^WidthBits) hold the rank; Below files of the selection are smaller.
struct TTarget {
  std::uint64_t Rank = 0;
  std::uint64_t Low = 0;
  unsigned WidthBits = 0;
  std::uint64_t Below = 0;
};

// One range counted in bins during a pass, shared by the targets inside it.
struct TRange {
  std::uint64_t Low = 0;
  unsigned WidthBits = 0;
  unsigned BinShift = 0;
  std::vector<std::uint32_t> Bins;  // fewer files than 2^32 in a store
};

TTarget InBucket(const TBucketCounts& buckets, std::uint64_t rank) {
  TTarget t;
  t.Rank = rank;
  for (unsigned b = 0; b < buckets.size(); ++b) {
    if (t.Below + buckets[b] >= rank) {
      t.Low = b == 0 ? 0 : std::uint64_t{1} << (b - 1);
      t.WidthBits = b == 0 ? 0 : b - 1;
      return t;
    }
    t.Below += buckets[b];
  }
  return t;  // more ranks than files: not asked for
}

// Counts the selected sizes in each range's bins, in one pass.
void CountPass(const TFileRecordStore& files, const TFileSelection& selected,
               std::vector<TRange>& ranges) {
  const std::size_t count = files.Count();
  for (std::size_t i = 0; i < count; ++i) {
    const auto id = static_cast<TFileId>(i);
    if (!selected.Has(id)) continue;
    const std::uint64_t size = files.Size(id);
    for (TRange& r : ranges) {
      const std::uint64_t offset = size - r.Low;  // wraps for a size below the range
      if (size >= r.Low && (offset >> r.WidthBits) == 0) ++r.Bins[offset >> r.BinShift];
    }
  }
}

// Moves the target into the bin of its range that holds its rank.
void Narrow(TTarget& t, const TRange& r) {
  std::uint64_t below = t.Below;
  for (std::size_t bin = 0; bin < r.Bins.size(); ++bin) {
    if (below + r.Bins[bin] >= t.Rank) {
      t.Low = r.Low + (std::uint64_t{bin} << r.BinShift);
      t.WidthBits = r.BinShift;
      t.Below = below;
      return;
    }
    below += r.Bins[bin];
  }
}

}  // namespace

std::vector<std::uint64_t> SizesAtRanks(const TFileRecordStore& files,
                                        const TFileSelection& selected,
                                        const TBucketCounts& buckets,
                                        std::span<const std::uint64_t> ranks) {
  std::vector<TTarget> targets;
  for (const std::uint64_t rank : ranks) targets.push_back(InBucket(buckets, rank));
  for (;;) {
    std::vector<TRange> ranges;
    for (const TTarget& t : targets) {
      if (t.WidthBits == 0) continue;
      const bool known = std::any_of(ranges.begin(), ranges.end(), [&t](const TRange& r) {
        return r.Low == t.Low && r.WidthBits == t.WidthBits;
      });
      if (known) continue;
      const unsigned binBits = std::min(t.WidthBits, kBinBits);
      ranges.push_back({t.Low, t.WidthBits, t.WidthBits - binBits,
                        std::vector<std::uint32_t>(std::size_t{1} << binBits)});
    }
    if (ranges.empty()) break;
    CountPass(files, selected, ranges);
    for (TTarget& t : targets) {
      for (const TRange& r : ranges) {
        if (t.WidthBits != 0 && r.Low == t.Low && r.WidthBits == t.WidthBits) {
          Narrow(t, r);
          break;
        }
      }
    }
  }
  std::vector<std::uint64_t> sizes;
  for (const TTarget& t : targets) sizes.push_back(t.Low);
  return sizes;
}

}  // namespace Vellumetric
