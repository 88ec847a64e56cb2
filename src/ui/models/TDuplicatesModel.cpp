#include "ui/models/TDuplicatesModel.h"

#include "system/Formatting.h"
#include "system/StringTable.h"
#include "ui/paint/ShareBarPainter.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

// A group's row has 0 as its internal id; a copy's row has its group's number plus one.
TDuplicatesModel::TDuplicatesModel(QObject* parent) : QAbstractItemModel(parent) {
  FileImage = TIconSet::Icon(QStringLiteral("file"), 16);
  FolderImage = TIconSet::Icon(QStringLiteral("folder"), 16);
}

void TDuplicatesModel::Attach(std::shared_ptr<const TDuplicateResult> result,
                              const TFileRecordStore* files, const TFolderTree* tree,
                              TPathStyle style) {
  beginResetModel();
  Shown = std::move(result);
  Files = files;
  Tree = tree;
  Style = style;
  endResetModel();
}

void TDuplicatesModel::Detach() {
  Attach(nullptr, nullptr, nullptr, Style);
}

bool TDuplicatesModel::Locate(const QModelIndex& index, std::size_t& group, int& member) const {
  if (!Shown || !index.isValid()) return false;
  if (index.internalId() == 0) {
    group = static_cast<std::size_t>(index.row());
    member = -1;
  } else {
    group = static_cast<std::size_t>(index.internalId() - 1);
    member = index.row();
  }
  return group < Shown->Groups.size();
}

std::string TDuplicatesModel::PathAt(const QModelIndex& index) const {
  std::size_t group = 0;
  int member = 0;
  if (!Locate(index, group, member) || member < 0) return {};
  const TDuplicateGroup& g = Shown->Groups[group];
  return DuplicateMemberPath(g, Shown->MembersOf(g)[static_cast<std::size_t>(member)], *Files,
                             *Tree, Style);
}

TNodeId TDuplicatesModel::FolderAt(const QModelIndex& index) const {
  std::size_t group = 0;
  int member = 0;
  if (!Locate(index, group, member)) return NoNode;
  const TDuplicateGroup& g = Shown->Groups[group];
  return DuplicateMemberFolder(
      g, Shown->MembersOf(g)[static_cast<std::size_t>(std::max(0, member))], *Files);
}

std::vector<TNodeId> TDuplicatesModel::GroupFolders(const QModelIndex& index) const {
  std::size_t group = 0;
  int member = 0;
  std::vector<TNodeId> folders;
  if (!Locate(index, group, member)) return folders;
  const TDuplicateGroup& g = Shown->Groups[group];
  for (std::uint32_t m : Shown->MembersOf(g))
    folders.push_back(DuplicateMemberFolder(g, m, *Files));
  return folders;
}

QModelIndex TDuplicatesModel::index(int row, int column, const QModelIndex& parent) const {
  if (!Shown || row < 0 || column < 0 || column >= 4) return {};
  if (!parent.isValid()) {
    return static_cast<std::size_t>(row) < Shown->Groups.size()
               ? createIndex(row, column, quintptr{0})
               : QModelIndex();
  }
  if (parent.internalId() != 0) return {};
  const std::size_t group = static_cast<std::size_t>(parent.row());
  if (group >= Shown->Groups.size() ||
      static_cast<std::uint32_t>(row) >= Shown->Groups[group].Count) {
    return {};
  }
  return createIndex(row, column, static_cast<quintptr>(group + 1));
}

QModelIndex TDuplicatesModel::parent(const QModelIndex& child) const {
  if (!Shown || !child.isValid() || child.internalId() == 0) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr{0});
}

int TDuplicatesModel::rowCount(const QModelIndex& parent) const {
  if (!Shown) return 0;
  if (!parent.isValid()) return static_cast<int>(Shown->Groups.size());
  if (parent.internalId() != 0 || parent.column() != 0) return 0;
  return static_cast<int>(Shown->Groups[static_cast<std::size_t>(parent.row())].Count);
}

int TDuplicatesModel::columnCount(const QModelIndex&) const {
  return 4;
}

QString TDuplicatesModel::SizeText(std::uint64_t bytes) const {
  return QString::fromStdString(FormatSize(bytes, 1, Locale.decimalPoint().toStdString()))
      .trimmed();
}

QString TDuplicatesModel::Text(std::size_t group, int member, int column) const {
  const TDuplicateGroup& g = Shown->Groups[group];
  const bool folders = g.Kind == TDuplicateKind::Folders;
  const auto members = Shown->MembersOf(g);
  switch (column) {
    case 0: {
      if (member >= 0) {
        return QString::fromStdString(DuplicateMemberPath(
            g, members[static_cast<std::size_t>(member)], *Files, *Tree, Style));
      }
      const std::string_view name =
          folders ? Tree->Data(members[0]).Name() : Files->Name(members[0]);
      return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    case 1:
      if (member >= 0) return {};
      return QStringLiteral("%1 %2").arg(
          Locale.toString(g.Count), folders ? QStringLiteral("folders") : QStringLiteral("files"));
    case 2:
      return SizeText(g.Size);
    default:
      return member >= 0 ? QString() : SizeText(g.Wasted);
  }
}

QVariant TDuplicatesModel::data(const QModelIndex& index, int role) const {
  std::size_t group = 0;
  int member = 0;
  if (!Locate(index, group, member)) return {};
  const TDuplicateGroup& g = Shown->Groups[group];
  switch (role) {
    case Qt::DisplayRole:
      return Text(group, member, index.column());
    case Qt::ToolTipRole:
      return index.column() == 0 && member >= 0 ? Text(group, member, 0) : QVariant();
    case Qt::DecorationRole:
      if (index.column() != 0) return {};
      return g.Kind == TDuplicateKind::Folders ? FolderImage : FileImage;
    case Qt::TextAlignmentRole:
      if (index.column() >= 1) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case ShareBarRole:
      if (index.column() != 0 || member >= 0 || Shown->Wasted == 0) return {};
      return ShareBarWidth(std::min(g.Wasted, Shown->Wasted), Shown->Wasted);
    default:
      return {};
  }
}

QVariant TDuplicatesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0:
      return QString::fromStdString(LoadResString(IDS_COLUMN_NAME));
    case 1:
      return QStringLiteral("Copies");
    case 2:
      return QString::fromStdString(LoadResString(IDS_COLUMN_SIZE));
    default:
      return QStringLiteral("Wasted");
  }
}

}  // namespace Vellumetric
