// Local months from the day table against the offset rule applied moment by moment.
#include <gtest/gtest.h>

#include <cstdint>

#include "statistics/TLocalCalendar.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

// The month index of a moment, the slow way: its local time's civil date.
int SlowMonthIndex(std::int64_t t, const TLocalCalendar::TUtcOffset& offset) {
  const std::int64_t local = t + offset(t);
  std::int64_t days = local / 86400 - (local % 86400 < 0 ? 1 : 0);
  // Walk the civil calendar from 1969-12-01 (day -31) month by month.
  int year = 1969;
  unsigned month = 12;
  for (;;) {
    const unsigned nextMonth = month == 12 ? 1 : month + 1;
    const int nextYear = month == 12 ? year + 1 : year;
    if (UnixSecondsFromCivil(nextYear, nextMonth, 1, 0, 0, 0) / 86400 > days) break;
    year = nextYear;
    month = nextMonth;
  }
  return (year - 1969) * 12 + static_cast<int>(month) - 12;
}

// Summer time that starts at local midnight on the first of a month (so that midnight never
// happens), ends an hour after midnight on the first of another (so the hour before comes
// twice), and a zone far east of UTC; plus far west, where 1970 starts in 1969.
TEST(TLocalCalendar, MonthsMatchTheOffsetRuleAtEveryBoundary) {
  const std::int64_t springForward = UnixSecondsFromCivil(2021, 4, 1, 0, 0, 0) - 3600;
  const std::int64_t fallBack = UnixSecondsFromCivil(2021, 10, 1, 1, 0, 0) - 7200;
  const TLocalCalendar::TUtcOffset rules[] = {
      [](std::int64_t) { return 0; },
      [](std::int64_t) { return 13 * 3600 + 45 * 60; },
      [](std::int64_t) { return -12 * 3600; },
      [=](std::int64_t t) { return t >= springForward && t < fallBack ? 7200 : 3600; },
  };
  for (const auto& rule : rules) {
    const TLocalCalendar calendar(rule);
    const std::int64_t probes[] = {0,
                                   1,
                                   86399,
                                   86400,
                                   springForward - 1,
                                   springForward,
                                   fallBack - 3601,
                                   fallBack - 1,
                                   fallBack,
                                   fallBack + 3600,
                                   UnixSecondsFromCivil(2024, 2, 29, 23, 59, 59),
                                   UnixSecondsFromCivil(2024, 12, 31, 12, 0, 0),
                                   0xFFFFFFFFLL};
    for (const std::int64_t t : probes) {
      for (const std::int64_t d : {-1, 0, 1}) {
        if (t + d < 0 || t + d > 0xFFFFFFFFLL) continue;
        EXPECT_EQ(calendar.MonthIndex(t + d), SlowMonthIndex(t + d, rule)) << t + d;
      }
    }
    // Every month's start is the first moment of that month, and the one before is not.
    for (int m = 1; m < calendar.Months(); ++m) {
      const std::int64_t start = calendar.MonthStart(m);
      if (start <= 0 || start > 0xFFFFFFFFLL) continue;
      EXPECT_EQ(calendar.MonthIndex(start), m);
      EXPECT_EQ(calendar.MonthIndex(start - 1), m - 1);
    }
  }
  const TLocalCalendar west(rules[2]);
  EXPECT_EQ(TLocalCalendar::YearOf(west.MonthIndex(0)), 1969);
  EXPECT_EQ(TLocalCalendar::MonthOf(west.MonthIndex(0)), 12);
  const TLocalCalendar summer(rules[3]);
  EXPECT_EQ(summer.MonthStart(summer.IndexOf(2021, 4)), springForward);
}

}  // namespace
}  // namespace Vellumetric
