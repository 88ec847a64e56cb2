#pragma once

#include <QIcon>
#include <QLocale>
#include <QTimeZone>
#include <unordered_map>
#include <vector>

#include "model/TSummaryTree.h"
#include "system/PathRules.h"
#include "ui/models/TNodeTreeModel.h"

namespace Vellumetric {

// The General or the Detail page: five columns (name, size, last access, location, on disk) over a
// core summary tree read in place. The General page takes its images from the icons gathered
// while it was built; the Detail page shows a group or a file image and share bars relative to
// its first (after sorting: largest) group, by the measure. A page read from a summary file knows
// no disk sizes: its On Disk cells stay empty and its bars go by size. A file row's tooltip says
// what the file is on the disk, where the scan's records are there to ask.
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
  // What the share bars go by.
  void SetMeasure(TMeasure measure);
  // The scan's records and folders for the tooltips, and the record of each node that does not
  // name one itself (the General page's); null until a scan, and again before the next refills
  // them.
  void SetFileSource(const TFileRecordStore* files, const TFolderTree* folders,
                     std::unordered_map<TNodeId, TFileId> nodeFiles = {});

  QLocale Locale = QLocale::system();
  QTimeZone Zone = QTimeZone::systemTimeZone();

 private:
  QString CellText(TNodeId node, int column) const;
  [[nodiscard]] QString SpokenText(TNodeId node, int role) const;
  [[nodiscard]] QString ToolTip(TNodeId node) const;
  // Size for a page that knows no disk sizes.
  [[nodiscard]] TMeasure BarMeasure() const;

  const TSummaryTree* Summary = nullptr;
  TPage Page;
  const std::vector<QIcon>* GeneralImages;
  QIcon GroupImage;
  QIcon FileImage;
  TMeasure ByMeasure = TMeasure::Size;
  const TFileRecordStore* Files = nullptr;
  const TFolderTree* Folders = nullptr;
  std::unordered_map<TNodeId, TFileId> NodeFiles;
};

}  // namespace Vellumetric
