#include "system/TimeText.h"

#include <cstdio>
#include <cstdlib>

namespace Vellumetric {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 to a civil date and back (the well-known era arithmetic: 400-year eras
// of 146,097 days, years starting in March so the leap day comes last).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

std::int64_t UnixSecondsFromCivil(std::int64_t year, unsigned month, unsigned day, unsigned hour,
                                  unsigned minute, unsigned second) noexcept {
  return DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

std::string FormatIso8601(std::int64_t unixSeconds, std::int32_t utcOffsetSeconds) {
  // Old local mean times have offsets in seconds; written in whole minutes, the time must use
  // the same minutes to name the same moment.
  utcOffsetSeconds -= utcOffsetSeconds % 60;
  const std::int64_t local = unixSeconds + utcOffsetSeconds;
  const std::int64_t days = FloorDiv(local, kSecondsPerDay);
  const std::int64_t inDay = local - days * kSecondsPerDay;
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, year, month, day);
  const int offsetMinutes = std::abs(utcOffsetSeconds) / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d%c%02d:%02d",
                static_cast<long long>(year), month, day, static_cast<int>(inDay / 3600),
                static_cast<int>(inDay / 60 % 60), static_cast<int>(inDay % 60),
                utcOffsetSeconds < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
  return text;
}

}  // namespace Vellumetric
