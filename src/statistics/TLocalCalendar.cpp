#include "statistics/TLocalCalendar.h"

#include "system/TimeText.h"

namespace Vellumetric {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Seconds since 1970 that a file record can hold: 32 bits.
constexpr std::int64_t kLastRecordSecond = 0xFFFFFFFFLL;
constexpr int kLastYear = 2106;
// No offset rule has ever been more than a day away from UTC.
constexpr std::int64_t kSearchWindow = 2 * kSecondsPerDay;

// The first moment whose local time is `civil` (a local date and time read as if it were UTC)
// or later. Usually the offset at that moment says it at once; where local time skips over
// `civil` (a clock put forward at midnight) or passes it twice, the moment is searched for.
std::int64_t FirstMomentAt(std::int64_t civil, const TLocalCalendar::TUtcOffset& offset) {
  const auto local = [&offset](std::int64_t t) { return t + offset(t); };
  std::int64_t t = civil - offset(civil);
  t = civil - offset(t);
  if (local(t) >= civil && local(t - 1) < civil) return t;
  std::int64_t low = civil - kSearchWindow;   // local(low) < civil
  std::int64_t high = civil + kSearchWindow;  // local(high) >= civil
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (local(middle) >= civil ? high : low) = middle;
  }
  return high;
}

}  // namespace

TLocalCalendar::TLocalCalendar(const TUtcOffset& utcOffset) {
  int year = FirstYear;
  int month = FirstMonth;
  while (year <= kLastYear + 1) {
    Starts.push_back(FirstMomentAt(
        UnixSecondsFromCivil(year, static_cast<unsigned>(month), 1, 0, 0, 0), utcOffset));
    if (year == kLastYear + 1) break;  // the end of the last month
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  const std::size_t days = static_cast<std::size_t>(kLastRecordSecond / kSecondsPerDay) + 1;
  DayMonth.resize(days);
  std::size_t m = 0;
  for (std::size_t d = 0; d < days; ++d) {
    const auto dayStart = static_cast<std::int64_t>(d) * kSecondsPerDay;
    while (m + 2 < Starts.size() && Starts[m + 1] <= dayStart) ++m;
    DayMonth[d] = static_cast<std::uint16_t>(m);
  }
}

int TLocalCalendar::MonthIndex(std::int64_t unixSeconds) const noexcept {
  if (unixSeconds < 0) unixSeconds = 0;
  if (unixSeconds > kLastRecordSecond) unixSeconds = kLastRecordSecond;
  std::size_t m = DayMonth[static_cast<std::size_t>(unixSeconds / kSecondsPerDay)];
  // Months are weeks long: a day holds at most one month's start.
  if (m + 2 < Starts.size() && unixSeconds >= Starts[m + 1]) ++m;
  return static_cast<int>(m);
}

int TLocalCalendar::IndexOf(int year, int month) const noexcept {
  const int index = (year - FirstYear) * 12 + (month - FirstMonth);
  return index >= 0 && index < Months() ? index : -1;
}

}  // namespace Vellumetric
