#pragma once

#include <QIcon>
#include <QLocale>
#include <QTimeZone>
#include <vector>

#include "model/TSummaryTree.h"
#include "ui/models/TNodeTreeModel.h"

namespace Vellumetric {

// The General or the Detail page: four columns (name, size, last access, location) over a core
// summary tree read in place. The General page takes its images from the icons gathered while it
// was built; the Detail page shows a group or a file image and share bars relative to its first
// (after sorting: largest) group.
class TSummaryTreeModel final : public TNodeTreeModel<TSummaryNodeData> {
 public:
  enum class TPage { General, Detail };

  TSummaryTreeModel(QObject* parent, TPage page, const std::vector<QIcon>* generalImages);

  // The page's tree, whose file nodes name their file records; null shows nothing.
  void Attach(TSummaryTree* tree) {
    Summary = tree;
    TNodeTreeModel<TSummaryNodeData>::Attach(tree);
  }
  void Detach() { Attach(nullptr); }

  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The full path of a file node; empty for a section or group node.
  [[nodiscard]] std::string FilePath(TNodeId node, std::string_view separator) const;

  QLocale Locale = QLocale::system();
  QTimeZone Zone = QTimeZone::systemTimeZone();

 private:
  QString CellText(TNodeId node, int column) const;
  [[nodiscard]] QString SpokenText(TNodeId node, int role) const;

  const TSummaryTree* Summary = nullptr;
  TPage Page;
  const std::vector<QIcon>* GeneralImages;
  QIcon GroupImage;
  QIcon FileImage;
};

}  // namespace Vellumetric
