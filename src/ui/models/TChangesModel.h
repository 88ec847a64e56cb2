#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "history/TScanDiff.h"

namespace Vellumetric {

// The Changes tab's one list: a heading for each kind of change that has folders (growth spots,
// shrink spots, new folders, gone folders), each followed by its folders as the core comparison
// lists them, with the change's share bar (against the largest change listed), the change and
// the size before and after. A gone folder is greyed and cannot be chosen: it has no place in
// the tree of the scan.
class TChangesModel final : public QAbstractItemModel {
 public:
  // The folder a row stands for in the newer scan (its index there), or nothing.
  static constexpr int FolderIndexRole = Qt::UserRole + 2;
  // The folder's path as the comparison gives it.
  static constexpr int PathRole = Qt::UserRole + 3;

  TChangesModel(QObject* parent, QString decimalSeparator);

  void Show(std::shared_ptr<const TScanDiff> diff);
  void Clear();

  QModelIndex index(int row, int column, const QModelIndex& parent) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Whether a row is a heading (drawn across every column).
  [[nodiscard]] bool IsHeading(int row) const;

 private:
  enum class TRowKind { Heading, Folder, Gone, More, Nothing };
  struct TRow {
    TRowKind Kind;
    QString Text;
    const TFolderChange* Change = nullptr;
  };
  void AddGroup(const QString& title, const std::vector<TFolderChange>& list, std::size_t count,
                bool gone);
  [[nodiscard]] QVariant DisplayText(const TRow& row, int column) const;

  QString DecimalSeparator;
  std::shared_ptr<const TScanDiff> Diff;
  std::vector<TRow> Rows;
  std::uint64_t Largest = 0;  // the largest change listed, for the bars
};

}  // namespace Vellumetric
