#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "model/TFileRecordStore.h"
#include "statistics/TLocalCalendar.h"
#include "system/PathRules.h"

namespace Vellumetric {

// How many files and how many bytes, as they hold them and as they take them on disk.
struct TStatCell {
  std::uint64_t Count = 0;
  std::uint64_t Bytes = 0;
  std::uint64_t DiskBytes = 0;

  void Add(std::uint64_t size, std::uint64_t disk) noexcept {
    ++Count;
    Bytes += size;
    DiskBytes += disk;
  }
  void Add(const TStatCell& other) noexcept {
    Count += other.Count;
    Bytes += other.Bytes;
    DiskBytes += other.DiskBytes;
  }
};

// The files of sizes [From, To), a power of two wide; the first bucket, [0, 1), holds the empty
// files. Bucket n ends at 2^n.
struct TSizeBucket {
  unsigned Exponent = 0;
  TStatCell Files;

  [[nodiscard]] std::uint64_t From() const noexcept {
    return Exponent == 0 ? 0 : std::uint64_t{1} << (Exponent - 1);
  }
  // The largest size in the bucket (its end less one: the end of the last bucket, 2^64, has no
  // 64-bit value).
  [[nodiscard]] std::uint64_t Last() const noexcept {
    return Exponent >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << Exponent) - 1;
  }
  // The end, 2^Exponent, in decimal.
  [[nodiscard]] std::string ToText() const;
};

// 2^exponent bytes in the largest unit that keeps it whole, as sizes are shown (K = 1024): "1 B",
// "512 B", "4 KB", "16 EB".
[[nodiscard]] std::string PowerOfTwoSizeText(unsigned exponent);
// A bucket as a range: "empty" for [0, 1), else "4 KB to 8 KB".
[[nodiscard]] std::string BucketText(const TSizeBucket& bucket);

// P0, P1, ..., P100: the ranks the size percentiles are given for.
inline constexpr std::array<int, 11> PercentileRanks = {0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100};

// Files whose last access (or change) lies in one local year or month, [From, To).
struct TAgePeriod {
  int Year = 0;
  int Month = 0;  // 1 for January; 0 for the whole year
  std::int64_t From = 0;
  std::int64_t To = 0;
  TStatCell Files;
};

struct TAgeTable {
  // Every year from the oldest file's to this one (or the newest file's, for times ahead of the
  // clock), oldest first; empty when no file has a time.
  std::vector<TAgePeriod> Years;
  // The months of last year and of this year, January of last year first.
  std::vector<TAgePeriod> Months;
  TStatCell NoTime;  // files the system gave no time for
};

struct TStatisticsQuery {
  static constexpr std::int32_t AnyGroup = -2;
  // A group id, TFileRecordStore::NoGroup for the files in no group, or AnyGroup.
  std::int32_t Group = AnyGroup;
  // An extension with its dot (".so"), compared without regard to ASCII case; a name ending in
  // version numbers counts under the extension before them (VersionedExtension). Empty for any.
  std::string Extension;
  std::int64_t Now = 0;  // seconds since 1970: which years are "this" and "last"
};

struct TFileStatistics {
  TStatCell Total;
  // From [0, 1) up to the bucket of the largest file, every bucket in between included; empty
  // when no file matched.
  std::vector<TSizeBucket> SizeBuckets;
  // The nearest-rank percentiles of the sizes, one per PercentileRanks: P_k is the smallest size
  // that at least k % of the files do not exceed (P0 the smallest file). Zero when no file
  // matched.
  std::array<std::uint64_t, PercentileRanks.size()> Percentiles{};
  TAgeTable Access;
  TAgeTable Change;
  bool Stopped = false;  // the stop flag was seen: nothing else is valid
};

// Size histogram, percentiles and ages of the scan's files that `query` selects, in one pass
// over the records (and, for the percentiles, a few passes over the sizes alone). Safe on a
// worker thread while nothing writes the records; `stop` is polled.
[[nodiscard]] TFileStatistics ComputeFileStatistics(const TFileRecordStore& files,
                                                    const TStatisticsQuery& query,
                                                    const TLocalCalendar& calendar,
                                                    TPathStyle style,
                                                    const std::atomic<bool>* stop = nullptr);

}  // namespace Vellumetric
