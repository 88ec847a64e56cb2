#pragma once

#include <QAbstractTableModel>
#include <QLocale>
#include <memory>

#include "statistics/FileStatistics.h"

namespace Vellumetric {

// The Statistics tab's figures as a table, for screen readers and for reading exact numbers: the
// size buckets, or the years and then the months of last year and this year of one of the times
// (and the files without that time). Columns: the range, files, share of the files, size and on
// disk. Reads the statistics in place; texts are made when the view asks.
class TStatisticsTableModel final : public QAbstractTableModel {
 public:
  enum class TKind { Sizes, AccessAges, ChangeAges };

  TStatisticsTableModel(QObject* parent, TKind kind);

  void Attach(std::shared_ptr<const TFileStatistics> stats);
  void SetKind(TKind kind);
  [[nodiscard]] TKind Kind() const noexcept { return Shown; }

  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  QLocale Locale = QLocale::system();

 private:
  [[nodiscard]] const TAgeTable* Ages() const;
  [[nodiscard]] QString RangeText(int row) const;
  [[nodiscard]] const TStatCell* Cell(int row) const;

  std::shared_ptr<const TFileStatistics> Stats;
  TKind Shown;
};

// A year or month as the user reads it: "2024", "March 2025" in the locale's words.
[[nodiscard]] QString PeriodText(const TAgePeriod& period, const QLocale& locale);

}  // namespace Vellumetric
