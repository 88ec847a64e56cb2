#pragma once

#include <QIcon>
#include <QString>

#include "model/TFolderData.h"
#include "ui/models/TNodeTreeModel.h"

namespace Vellumetric {

// The folder tree of a finished scan, two columns "Name" and "Size", read from the core tree in
// place; texts, images and bar widths are worked out when the view asks.
class TFolderTreeModel final : public TNodeTreeModel<TFolderData> {
 public:
  TFolderTreeModel(QObject* parent, QString decimalSeparator);

  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Both columns order by size.
  void sort(int column, Qt::SortOrder order) override;

 private:
  [[nodiscard]] QString SpokenText(TNodeId node, int role) const;

  QString DecimalSeparator;
  QIcon Images[3];        // folder, other, drive: by Kind
  QIcon LockedImages[3];  // the same with a lock: the folder could not be read
};

}  // namespace Vellumetric
