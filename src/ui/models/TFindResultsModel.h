#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QLocale>
#include <QTimeZone>

#include "find/TFileQuery.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

// The files a query found, five columns (name, size, last access, location, on disk) read from the
// result and the scan's records in place: a row is an entry of the result's list, and its texts
// are made when the view asks. A share bar in the name column gives the file's part of all the
// matches' bytes by the query's measure; the tooltip gives the path and what the file is on the
// disk.
class TFindResultsModel final : public QAbstractTableModel {
 public:
  explicit TFindResultsModel(QObject* parent);

  // Shows `found` (files of `files`, folders of `tree`); all three must stay unchanged until the
  // next Attach() or Detach().
  void Attach(const TFindResult* found, const TFileRecordStore* files, const TFolderTree* tree,
              TPathStyle style);
  void Detach();

  [[nodiscard]] TFileId FileAt(int row) const;
  [[nodiscard]] TNodeId FolderAt(int row) const;
  [[nodiscard]] std::string PathAt(int row) const;

  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  QLocale Locale = QLocale::system();
  QTimeZone Zone = QTimeZone::systemTimeZone();

 private:
  [[nodiscard]] QString CellText(const TFoundFile& found, int column) const;

  const TFindResult* Found = nullptr;
  const TFileRecordStore* Files = nullptr;
  const TFolderTree* Tree = nullptr;
  TPathStyle Style = TPathStyle::Posix;
  QIcon FileImage;
};

}  // namespace Vellumetric
