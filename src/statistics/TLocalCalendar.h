#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace Vellumetric {

// Local years and months of moments given in seconds since 1970, without a time-zone call per
// moment: the local start of every month a file record can name (its times run from 1970 to
// 2106) is worked out once from the offset rule, and a table of UTC days says which month each
// day begins in, so a look-up is one table read and one comparison.
class TLocalCalendar {
 public:
  // Local time's offset east of UTC, in seconds, at a moment (the system's rules in the
  // program, a fixed rule in tests).
  using TUtcOffset = std::function<std::int32_t(std::int64_t unixSeconds)>;

  explicit TLocalCalendar(const TUtcOffset& utcOffset);

  // Months are numbered from December 1969: west of UTC the first moments of 1970 are 1969.
  static constexpr int FirstYear = 1969;
  static constexpr int FirstMonth = 12;

  // The month a moment falls in locally; moments outside the records' range count in the first
  // or the last month.
  [[nodiscard]] int MonthIndex(std::int64_t unixSeconds) const noexcept;
  [[nodiscard]] int Months() const noexcept { return static_cast<int>(Starts.size()) - 1; }
  [[nodiscard]] static int YearOf(int monthIndex) noexcept {
    return FirstYear + (FirstMonth - 1 + monthIndex) / 12;
  }
  // 1 for January.
  [[nodiscard]] static int MonthOf(int monthIndex) noexcept {
    return (FirstMonth - 1 + monthIndex) % 12 + 1;
  }
  // -1 when the calendar does not reach that month.
  [[nodiscard]] int IndexOf(int year, int month) const noexcept;
  // The first moment of a month, local time, and of the one after the last.
  [[nodiscard]] std::int64_t MonthStart(int monthIndex) const noexcept {
    return Starts[static_cast<std::size_t>(monthIndex)];
  }

 private:
  std::vector<std::int64_t> Starts;     // one per month, then the end of the last
  std::vector<std::uint16_t> DayMonth;  // the month each UTC day's first second is in
};

}  // namespace Vellumetric
