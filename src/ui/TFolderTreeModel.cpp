#include "ui/TFolderTreeModel.h"

#include "system/Formatting.h"
#include "system/StringTable.h"
#include "ui/TIconSet.h"
#include "ui/TShareBarDelegate.h"

namespace Vellumetric {

TFolderTreeModel::TFolderTreeModel(QObject* parent, QString decimalSeparator)
    : TNodeTreeModel<TFolderData>(parent), DecimalSeparator(std::move(decimalSeparator)) {
  Images[0] = TIconSet::Icon(QStringLiteral("folder"), 16);
  Images[1] = TIconSet::Icon(QStringLiteral("file"), 16);
  Images[2] = TIconSet::Icon(QStringLiteral("drive"), 16);
}

int TFolderTreeModel::columnCount(const QModelIndex&) const {
  return 2;
}

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const {
  if (!Tree || !index.isValid()) return {};
  const TNodeId node = NodeOf(index);
  const TFolderData& folder = Tree->Data(node);
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == 0) return QString::fromStdString(folder.Name);
      if (!folder.Complete) return QString::fromStdString(LoadResString(IDS_ANALYZING));
      return QString::fromStdString(FormatSize(folder.Size, 2, DecimalSeparator.toStdString()));
    case Qt::DecorationRole:
      if (index.column() != 0) return {};
      return Images[folder.Kind == FolderKindFolder ? 0 : folder.Kind == FolderKindDrive ? 2 : 1];
    case Qt::TextAlignmentRole:
      return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case ShareBarRole: {
      const TNodeId parent = Tree->Parent(node);
      if (index.column() != 0 || parent == NoNode || !folder.ParentComplete) return {};
      const std::uint64_t whole = Tree->Data(parent).Size;
      if (whole == 0) return {};
      return ShareBarWidth(folder.Size, whole);
    }
    default:
      return {};
  }
}

QVariant TFolderTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromStdString(LoadResString(section == 0 ? IDS_COLUMN_NAME : IDS_COLUMN_SIZE));
}

void TFolderTreeModel::sort(int, Qt::SortOrder order) {
  SortTree([](const TFolderData& f) { return f.Size; }, order == Qt::DescendingOrder);
}

}  // namespace Vellumetric
