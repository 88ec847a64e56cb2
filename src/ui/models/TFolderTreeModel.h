#pragma once

#include <QIcon>
#include <QString>

#include "model/TFolderData.h"
#include "ui/models/TNodeTreeModel.h"

namespace Vellumetric {

// The folder tree of a finished scan, three columns "Name", "Size" and "On Disk", read from the
// core tree in place; texts, images and bar widths are worked out when the view asks. The share
// bars and the order follow the measure.
class TFolderTreeModel final : public TNodeTreeModel<TFolderData> {
 public:
  TFolderTreeModel(QObject* parent, QString decimalSeparator);

  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Every column orders by the measure.
  void sort(int column, Qt::SortOrder order) override;
  // The bytes the bars and the order go by; sort() again to reorder.
  void SetMeasure(TMeasure measure);
  [[nodiscard]] TMeasure Measure() const noexcept { return ByMeasure; }

 private:
  [[nodiscard]] QString SpokenText(TNodeId node, int role) const;
  [[nodiscard]] QString SizeText(const TFolderData& folder, std::uint64_t bytes) const;

  QString DecimalSeparator;
  TMeasure ByMeasure = TMeasure::Size;
  QIcon Images[3];        // folder, other, drive: by Kind
  QIcon LockedImages[3];  // the same with a lock: the folder could not be read
};

}  // namespace Vellumetric
