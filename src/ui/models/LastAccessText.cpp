#include "ui/models/LastAccessText.h"

#include <QDateTime>
#include <QRegularExpression>

namespace Vellumetric {
namespace {

constexpr std::int64_t UnixEpochInFileTime = 116444736000000000LL;

// Qt's long time formats end in the zone's name ("t"); a column of local times does not need it.
QString LongTimeWithoutZone(const QLocale& locale) {
  QString format = locale.timeFormat(QLocale::LongFormat);
  static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
  format.replace(zone, QStringLiteral(" "));
  return format.trimmed();
}

}  // namespace

QString LastAccessText(std::uint64_t fileTime, const QLocale& locale, const QTimeZone& zone) {
  if (fileTime == 0) return {};
  // Divided before the subtraction so that times before 1970 stay exact and nothing overflows.
  const std::int64_t ms = static_cast<std::int64_t>(fileTime / 10000) - UnixEpochInFileTime / 10000;
  const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()).toTimeZone(zone);
  const QTime time = local.time();
  const QString date = locale.toString(local.date(), QLocale::ShortFormat);
  if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) return date;
  return date + QLatin1Char(' ') + locale.toString(time, LongTimeWithoutZone(locale));
}

}  // namespace Vellumetric
