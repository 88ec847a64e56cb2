#pragma once

#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <cstdint>

namespace Vellumetric {

// A raw file time (100 ns units since 1601-01-01 UTC) as the user reads it: in `zone` (the
// user's own), the locale's short date, a blank and its long time without a zone name; the date
// alone when the time is exactly midnight there; empty for 0.
[[nodiscard]] QString LastAccessText(std::uint64_t fileTime, const QLocale& locale,
                                     const QTimeZone& zone);

}  // namespace Vellumetric
