// The size histogram, the percentiles and the filters, against a plain sort of the sizes and a
// filter written out here on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>
#include <string>
#include <vector>

#include "statistics/FileStatistics.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

const TLocalCalendar& Utc() {
  static const TLocalCalendar calendar([](std::int64_t) { return 0; });
  return calendar;
}

// The nearest-rank percentile of sorted sizes, from its definition: the smallest size that at
// least k % of the files do not exceed.
std::uint64_t NearestRank(const std::vector<std::uint64_t>& sorted, int k) {
  for (const std::uint64_t s : sorted) {
    const auto notLarger = static_cast<std::uint64_t>(
        std::upper_bound(sorted.begin(), sorted.end(), s) - sorted.begin());
    if (notLarger * 100 >= static_cast<std::uint64_t>(k) * sorted.size()) return s;
  }
  return 0;
}

struct TSample {
  std::uint64_t Size;
  std::string Name;
  std::int32_t Group;
};

// Sizes drawn from every scale: runs of equal sizes, empty files, one-byte files, and sizes past
// the record's 48 bits and near the top of 64.
std::vector<TSample> Samples(std::mt19937_64& rng, std::size_t n) {
  const char* const names[] = {"a.so",       "libc.so.6", "libx.SO.1.2.3", "x.txt",
                               "python3.11", "b.so",      "notes.1"};
  std::vector<TSample> out;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint64_t size = 0;
    switch (rng() % 6) {
      case 0:
        size = 0;
        break;
      case 1:
        size = 1 + rng() % 3;
        break;
      case 2:
        size = 4096;
        break;
      case 3:
        size = rng() >> (rng() % 64);
        break;
      case 4:
        size = (std::uint64_t{1} << 48) + rng() % 5;
        break;
      default:
        size = rng() % 100000;
        break;
    }
    out.push_back(
        {size, names[rng() % std::size(names)], static_cast<std::int32_t>(rng() % 3) - 1});
  }
  return out;
}

// What the filter means, written out separately: trailing all-digit extensions dropped, then
// the last dot's extension, case ignored.
bool ExtensionIs(std::string name, const std::string& wanted) {
  for (;;) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string last = name.substr(dot + 1);
    if (!last.empty() && std::all_of(last.begin(), last.end(), ::isdigit)) {
      name.erase(dot);
      continue;
    }
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    return ext == wanted;
  }
}

TEST(FileStatistics, BucketsAndPercentilesMatchASortOfTheSizes) {
  std::mt19937_64 rng(7);
  for (const std::size_t n : {1u, 2u, 3u, 99u, 100u, 101u, 5000u}) {
    const std::vector<TSample> samples = Samples(rng, n);
    TFileRecordStore files;
    for (const TSample& s : samples) files.Add(0, s.Name, s.Size, s.Group, 0, {s.Size / 2, 0});
    for (const std::string& extension : {std::string(), std::string(".so")}) {
      for (const std::int32_t group : {TStatisticsQuery::AnyGroup, std::int32_t{-1}, 1}) {
        TStatisticsQuery query;
        query.Group = group;
        query.Extension = extension;
        const TFileStatistics stats = ComputeFileStatistics(files, query, Utc(), TPathStyle::Posix);
        std::vector<std::uint64_t> sizes;
        std::vector<TStatCell> buckets(65);
        for (const TSample& s : samples) {
          if (group != TStatisticsQuery::AnyGroup && s.Group != group) continue;
          if (!extension.empty() && !ExtensionIs(s.Name, extension)) continue;
          sizes.push_back(s.Size);
          buckets[static_cast<std::size_t>(std::bit_width(s.Size))].Add(s.Size, s.Size / 2);
        }
        std::sort(sizes.begin(), sizes.end());
        const std::string what = "n " + std::to_string(n) + " group " + std::to_string(group) +
                                 " extension " + extension;
        ASSERT_EQ(stats.Total.Count, sizes.size()) << what;
        while (!buckets.empty() && buckets.back().Count == 0) buckets.pop_back();
        ASSERT_EQ(stats.SizeBuckets.size(), buckets.size()) << what;
        for (std::size_t b = 0; b < buckets.size(); ++b) {
          const TSizeBucket& got = stats.SizeBuckets[b];
          EXPECT_EQ(got.Files.Count, buckets[b].Count) << what << " bucket " << b;
          EXPECT_EQ(got.Files.Bytes, buckets[b].Bytes) << what << " bucket " << b;
          EXPECT_EQ(got.Files.DiskBytes, buckets[b].DiskBytes) << what << " bucket " << b;
          EXPECT_EQ(got.From(), b == 0 ? 0 : std::uint64_t{1} << (b - 1));
        }
        for (std::size_t i = 0; i < PercentileRanks.size() && !sizes.empty(); ++i) {
          EXPECT_EQ(stats.Percentiles[i], NearestRank(sizes, PercentileRanks[i]))
              << what << " P" << PercentileRanks[i];
        }
      }
    }
  }
}

TEST(FileStatistics, BucketEndsAndTextsReachTwoToTheSixtyFour) {
  TFileRecordStore files;
  files.Add(0, "huge", ~std::uint64_t{0}, -1);
  files.Add(0, "empty", 0, -1);
  const TFileStatistics stats = ComputeFileStatistics(files, {}, Utc(), TPathStyle::Posix);
  ASSERT_EQ(stats.SizeBuckets.size(), 65u);
  EXPECT_EQ(stats.SizeBuckets.back().ToText(), "18446744073709551616");
  EXPECT_EQ(stats.SizeBuckets.back().Last(), ~std::uint64_t{0});
  EXPECT_EQ(stats.SizeBuckets[13].ToText(), "8192");
  EXPECT_EQ(BucketText(stats.SizeBuckets[13]), "4 KB to 8 KB");
  EXPECT_EQ(BucketText(stats.SizeBuckets[0]), "empty");
  EXPECT_EQ(BucketText(stats.SizeBuckets.back()), "8 EB to 16 EB");
  EXPECT_EQ(stats.Percentiles.front(), 0u);
  EXPECT_EQ(stats.Percentiles[5], 0u);  // the median of two is the smaller
  EXPECT_EQ(stats.Percentiles.back(), ~std::uint64_t{0});
}

// Years run from the oldest file's to this year with the empty ones between; the months are
// last year's and this year's; files the system gave no time count apart.
TEST(FileStatistics, AgesFoldIntoYearsAndTheLastTwoYearsMonths) {
  const auto at = [](int year, unsigned month, unsigned day) {
    return UnixSecondsFromCivil(year, month, day, 12, 0, 0);
  };
  const auto fileTime = [](std::int64_t unix) {
    return (static_cast<std::uint64_t>(unix) + 11644473600ULL) * 10000000ULL;
  };
  TFileRecordStore files;
  files.Add(0, "old", 10, -1, fileTime(at(2019, 5, 3)), {}, fileTime(at(2024, 2, 1)));
  files.Add(0, "new", 20, -1, fileTime(at(2026, 3, 9)), {}, fileTime(at(2025, 12, 1)));
  files.Add(0, "none", 40, -1, 0, {}, 0);
  TStatisticsQuery query;
  query.Now = at(2026, 7, 1);
  const TFileStatistics stats = ComputeFileStatistics(files, query, Utc(), TPathStyle::Posix);
  ASSERT_EQ(stats.Access.Years.size(), 8u);  // 2019 to 2026
  EXPECT_EQ(stats.Access.Years.front().Year, 2019);
  EXPECT_EQ(stats.Access.Years.front().Files.Bytes, 10u);
  EXPECT_EQ(stats.Access.Years[3].Files.Count, 0u);
  EXPECT_EQ(stats.Access.Years.back().Files.Bytes, 20u);
  EXPECT_EQ(stats.Access.NoTime.Bytes, 40u);
  ASSERT_EQ(stats.Access.Months.size(), 24u);
  EXPECT_EQ(stats.Access.Months.front().Year, 2025);
  EXPECT_EQ(stats.Access.Months[12 + 2].Files.Bytes, 20u);  // March 2026
  ASSERT_EQ(stats.Change.Years.size(), 3u);                 // 2024 to 2026
  EXPECT_EQ(stats.Change.Months[11].Files.Bytes, 20u);      // December 2025
  EXPECT_EQ(stats.Change.Years[0].From, 1704067200);        // 2024-01-01 UTC
  EXPECT_EQ(stats.Change.Years[0].To, 1735689600);
}

}  // namespace
}  // namespace Vellumetric
