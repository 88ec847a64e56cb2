#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QLocale>
#include <memory>
#include <string>
#include <vector>

#include "duplicates/TDuplicateResult.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

// The groups of a duplicate search, most wasted first, each opening onto its copies. Four columns
// (name, copies, size, wasted) made when the view asks: a search of a large disk can find
// hundreds of thousands of groups, and nothing is made for a row that is never shown. A share bar
// under a group's name gives its part of all the wasted bytes.
class TDuplicatesModel final : public QAbstractItemModel {
 public:
  explicit TDuplicatesModel(QObject* parent);

  // Shows `result`, whose members are files of `files` and folders of `tree`; both must stay
  // unchanged until the next Attach() or Detach().
  void Attach(std::shared_ptr<const TDuplicateResult> result, const TFileRecordStore* files,
              const TFolderTree* tree, TPathStyle style);
  void Detach();
  [[nodiscard]] const std::shared_ptr<const TDuplicateResult>& Result() const noexcept {
    return Shown;
  }

  // A copy's full path; empty for a group's own row.
  [[nodiscard]] std::string PathAt(const QModelIndex& index) const;
  // The folder a row points at: a copy's folder (a folder copy itself), or a group's first one.
  [[nodiscard]] TNodeId FolderAt(const QModelIndex& index) const;
  // The folders of every copy of the row's group.
  [[nodiscard]] std::vector<TNodeId> GroupFolders(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  QLocale Locale = QLocale::system();

 private:
  // A row's group, and its copy (-1 for the group's own row); false for no row.
  [[nodiscard]] bool Locate(const QModelIndex& index, std::size_t& group, int& member) const;
  [[nodiscard]] QString Text(std::size_t group, int member, int column) const;
  [[nodiscard]] QString SizeText(std::uint64_t bytes) const;

  std::shared_ptr<const TDuplicateResult> Shown;
  const TFileRecordStore* Files = nullptr;
  const TFolderTree* Tree = nullptr;
  TPathStyle Style = TPathStyle::Posix;
  QIcon FileImage;
  QIcon FolderImage;
};

}  // namespace Vellumetric
