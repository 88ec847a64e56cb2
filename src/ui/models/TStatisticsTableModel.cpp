#include "ui/models/TStatisticsTableModel.h"

#include "system/Formatting.h"

namespace Vellumetric {
namespace {

enum Column { RangeColumn, FilesColumn, ShareColumn, SizeColumn, DiskColumn, ColumnCount };

QString SizeText(std::uint64_t bytes, const QLocale& locale) {
  return QString::fromStdString(FormatSize(bytes, 2, locale.decimalPoint().toStdString()))
      .trimmed();
}

}  // namespace

QString PeriodText(const TAgePeriod& period, const QLocale& locale) {
  if (period.Month == 0) return QString::number(period.Year);
  return locale.standaloneMonthName(period.Month) + QLatin1Char(' ') + QString::number(period.Year);
}

TStatisticsTableModel::TStatisticsTableModel(QObject* parent, TKind kind)
    : QAbstractTableModel(parent), Shown(kind) {}

void TStatisticsTableModel::Attach(std::shared_ptr<const TFileStatistics> stats) {
  beginResetModel();
  Stats = std::move(stats);
  endResetModel();
}

void TStatisticsTableModel::SetKind(TKind kind) {
  if (kind == Shown) return;
  beginResetModel();
  Shown = kind;
  endResetModel();
}

const TAgeTable* TStatisticsTableModel::Ages() const {
  if (!Stats || Shown == TKind::Sizes) return nullptr;
  return Shown == TKind::AccessAges ? &Stats->Access : &Stats->Change;
}

int TStatisticsTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !Stats) return 0;
  if (const TAgeTable* ages = Ages()) {
    return static_cast<int>(ages->Years.size() + ages->Months.size()) +
           (ages->NoTime.Count > 0 ? 1 : 0);
  }
  return static_cast<int>(Stats->SizeBuckets.size());
}

int TStatisticsTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

const TStatCell* TStatisticsTableModel::Cell(int row) const {
  const auto r = static_cast<std::size_t>(row);
  const TAgeTable* ages = Ages();
  if (!ages) return r < Stats->SizeBuckets.size() ? &Stats->SizeBuckets[r].Files : nullptr;
  if (r < ages->Years.size()) return &ages->Years[r].Files;
  if (r < ages->Years.size() + ages->Months.size()) {
    return &ages->Months[r - ages->Years.size()].Files;
  }
  return &ages->NoTime;
}

QString TStatisticsTableModel::RangeText(int row) const {
  const auto r = static_cast<std::size_t>(row);
  const TAgeTable* ages = Ages();
  if (!ages) return QString::fromStdString(BucketText(Stats->SizeBuckets[r]));
  if (r < ages->Years.size()) return PeriodText(ages->Years[r], Locale);
  if (r < ages->Years.size() + ages->Months.size()) {
    return PeriodText(ages->Months[r - ages->Years.size()], Locale);
  }
  return QStringLiteral("No time known");
}

QVariant TStatisticsTableModel::data(const QModelIndex& index, int role) const {
  if (!Stats || !index.isValid() || index.row() >= rowCount({})) return {};
  if (role == Qt::TextAlignmentRole && index.column() != RangeColumn) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  const TStatCell& cell = *Cell(index.row());
  switch (index.column()) {
    case RangeColumn:
      return RangeText(index.row());
    case FilesColumn:
      return Locale.toString(static_cast<qulonglong>(cell.Count));
    case ShareColumn:
      return Stats->Total.Count == 0 ? QString()
                                     : Locale.toString(100.0 * static_cast<double>(cell.Count) /
                                                           static_cast<double>(Stats->Total.Count),
                                                       'f', 1) +
                                           QStringLiteral(" %");
    case SizeColumn:
      return SizeText(cell.Bytes, Locale);
    case DiskColumn:
      return SizeText(cell.DiskBytes, Locale);
    default:
      return {};
  }
}

QVariant TStatisticsTableModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case RangeColumn:
      return Shown == TKind::Sizes        ? QStringLiteral("Size range")
             : Shown == TKind::AccessAges ? QStringLiteral("Last access")
                                          : QStringLiteral("Last change");
    case FilesColumn:
      return QStringLiteral("Files");
    case ShareColumn:
      return QStringLiteral("Of all files");
    case SizeColumn:
      return QStringLiteral("Size");
    case DiskColumn:
      return QStringLiteral("On disk");
    default:
      return {};
  }
}

}  // namespace Vellumetric
