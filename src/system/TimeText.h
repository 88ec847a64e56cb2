#pragma once

#include <cstdint>
#include <string>

namespace Vellumetric {

// Seconds since 1970 (UTC) of a raw file time (100 ns units since 1601), rounded down.
[[nodiscard]] constexpr std::int64_t FileTimeToUnixSeconds(std::uint64_t fileTime) noexcept {
  constexpr std::int64_t kEpochDelta = 11644473600LL;
  return static_cast<std::int64_t>(fileTime / 10000000ULL) - kEpochDelta;
}

// Seconds since 1970 of a date and time in the proleptic Gregorian calendar, read as UTC.
[[nodiscard]] std::int64_t UnixSecondsFromCivil(std::int64_t year, unsigned month, unsigned day,
                                                unsigned hour, unsigned minute,
                                                unsigned second) noexcept;

// "2024-05-01T12:34:56+02:00": the moment `unixSeconds` as local time at `utcOffsetSeconds` east
// of UTC, with that offset written out (ISO 8601; "+00:00" for UTC itself).
[[nodiscard]] std::string FormatIso8601(std::int64_t unixSeconds, std::int32_t utcOffsetSeconds);

}  // namespace Vellumetric
