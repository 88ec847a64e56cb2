#include "statistics/FileStatistics.h"

#include <algorithm>
#include <bit>

#include "statistics/SizeRanks.h"

namespace Vellumetric {
namespace {

constexpr std::size_t kStopPollInterval = 8192;

// The text of 2^n, 2^64 included, by doubling a decimal string.
std::string PowerOfTwoText(unsigned n) {
  std::string digits = "1";  // least significant first
  for (unsigned i = 0; i < n; ++i) {
    int carry = 0;
    for (char& c : digits) {
      const int d = (c - '0') * 2 + carry;
      c = static_cast<char>('0' + d % 10);
      carry = d / 10;
    }
    if (carry) digits.push_back('1');
  }
  return {digits.rbegin(), digits.rend()};
}

// Files counted per local month (of the calendar) of one of their times.
struct TMonthTally {
  std::vector<TStatCell> Months;
  TStatCell NoTime;

  explicit TMonthTally(const TLocalCalendar& calendar)
      : Months(static_cast<std::size_t>(calendar.Months())) {}
  void Add(const TLocalCalendar& calendar, std::int64_t time, std::uint64_t size,
           std::uint64_t disk) {
    if (time == TFileRecordStore::NoAccessTime) {
      NoTime.Add(size, disk);
    } else {
      Months[static_cast<std::size_t>(calendar.MonthIndex(time))].Add(size, disk);
    }
  }
};

TAgePeriod Period(const TLocalCalendar& calendar, int firstMonth, int months, bool wholeYear) {
  TAgePeriod p;
  p.Year = TLocalCalendar::YearOf(firstMonth);
  p.Month = wholeYear ? 0 : TLocalCalendar::MonthOf(firstMonth);
  p.From = calendar.MonthStart(firstMonth);
  p.To = calendar.MonthStart(firstMonth + months);
  return p;
}

// Years from the oldest file's to this year or the newest file's, and the months of this year
// and last year.
TAgeTable FoldAges(const TMonthTally& tally, const TLocalCalendar& calendar, std::int64_t now) {
  TAgeTable table;
  table.NoTime = tally.NoTime;
  const int thisYear = TLocalCalendar::YearOf(calendar.MonthIndex(now));
  int oldest = -1;
  int newest = -1;
  for (int m = 0; m < calendar.Months(); ++m) {
    if (tally.Months[static_cast<std::size_t>(m)].Count == 0) continue;
    if (oldest < 0) oldest = m;
    newest = m;
  }
  if (oldest >= 0) {
    const int lastYear = std::max(thisYear, TLocalCalendar::YearOf(newest));
    for (int year = TLocalCalendar::YearOf(oldest); year <= lastYear; ++year) {
      // December 1969 is the calendar's only month of its year.
      const int first = std::max(0, calendar.IndexOf(year, 1));
      const int end = year + 1 > TLocalCalendar::YearOf(calendar.Months() - 1)
                          ? calendar.Months()
                          : calendar.IndexOf(year + 1, 1);
      TAgePeriod p = Period(calendar, first, end - first, true);
      for (int m = first; m < end; ++m) p.Files.Add(tally.Months[static_cast<std::size_t>(m)]);
      table.Years.push_back(p);
    }
  }
  for (int year = thisYear - 1; year <= thisYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const int m = calendar.IndexOf(year, month);
      if (m < 0) continue;
      TAgePeriod p = Period(calendar, m, 1, false);
      p.Files = tally.Months[static_cast<std::size_t>(m)];
      table.Months.push_back(p);
    }
  }
  return table;
}

bool Selects(const TFileRecordStore& files, TFileId id, const TFileRecord& r,
             const TStatisticsQuery& query, TPathStyle style) {
  if (query.Group != TStatisticsQuery::AnyGroup && r.Group != query.Group) return false;
  return query.Extension.empty() ||
         EqualsIgnoreAsciiCase(VersionedExtension(style, files.Name(id)), query.Extension);
}

}  // namespace

std::string TSizeBucket::ToText() const {
  return PowerOfTwoText(Exponent);
}

std::string PowerOfTwoSizeText(unsigned exponent) {
  static constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
  const unsigned unit = std::min(exponent / 10, 6U);
  return std::to_string(std::uint64_t{1} << (exponent - unit * 10)) + " " + kUnits[unit];
}

std::string BucketText(const TSizeBucket& bucket) {
  if (bucket.Exponent == 0) return "empty";
  return PowerOfTwoSizeText(bucket.Exponent - 1) + " to " + PowerOfTwoSizeText(bucket.Exponent);
}

TFileStatistics ComputeFileStatistics(const TFileRecordStore& files, const TStatisticsQuery& query,
                                      const TLocalCalendar& calendar, TPathStyle style,
                                      const std::atomic<bool>* stop) {
  TFileStatistics result;
  const bool filtered = query.Group != TStatisticsQuery::AnyGroup || !query.Extension.empty();
  // Files a folder scanned again took out must stay out of the ranks too.
  const bool selecting = filtered || files.RemovedCount() > 0;
  TFileSelection selected;
  if (selecting) selected.Bits.assign((files.Count() + 63) / 64, 0);
  std::array<TStatCell, 65> buckets{};
  TMonthTally access(calendar);
  TMonthTally change(calendar);
  const std::size_t count = files.Count();
  for (std::size_t i = 0; i < count; ++i) {
    if (i % kStopPollInterval == 0 && stop && stop->load(std::memory_order_relaxed)) {
      result.Stopped = true;
      return result;
    }
    const auto id = static_cast<TFileId>(i);
    const TFileRecord r = files.Record(id);
    if (r.Folder == NoNode) continue;  // removed by a folder scanned again
    if (filtered && !Selects(files, id, r, query, style)) continue;
    if (selecting) selected.Bits[i / 64] |= std::uint64_t{1} << (i % 64);
    result.Total.Add(r.Size, r.DiskSize);
    buckets[static_cast<std::size_t>(std::bit_width(r.Size))].Add(r.Size, r.DiskSize);
    access.Add(calendar, files.LastAccess(id), r.Size, r.DiskSize);
    change.Add(calendar, files.LastChange(id), r.Size, r.DiskSize);
  }
  result.Access = FoldAges(access, calendar, query.Now);
  result.Change = FoldAges(change, calendar, query.Now);
  const std::uint64_t n = result.Total.Count;
  if (n == 0) return result;
  std::size_t last = buckets.size() - 1;
  while (buckets[last].Count == 0) --last;
  TBucketCounts counts{};
  for (std::size_t b = 0; b <= last; ++b) {
    result.SizeBuckets.push_back({static_cast<unsigned>(b), buckets[b]});
    counts[b] = buckets[b].Count;
  }
  // The nearest rank of P_k is ceil(k n / 100), and at least 1: P0 is the smallest file.
  std::vector<std::uint64_t> ranks;
  for (const int k : PercentileRanks) {
    const std::uint64_t rank = (static_cast<std::uint64_t>(k) * n + 99) / 100;
    ranks.push_back(std::max<std::uint64_t>(rank, 1));
  }
  const std::vector<std::uint64_t> sizes = SizesAtRanks(files, selected, counts, ranks);
  std::copy(sizes.begin(), sizes.end(), result.Percentiles.begin());
  if (stop && stop->load(std::memory_order_relaxed)) result.Stopped = true;
  return result;
}

}  // namespace Vellumetric
