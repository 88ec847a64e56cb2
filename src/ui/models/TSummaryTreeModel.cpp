#include "ui/models/TSummaryTreeModel.h"

#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "ui/models/DiskNoteText.h"
#include "ui/models/FileListHeader.h"
#include "ui/models/LastAccessText.h"
#include "ui/paint/ShareBarPainter.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

TSummaryTreeModel::TSummaryTreeModel(QObject* parent, TPage page,
                                     const std::vector<QIcon>* generalImages)
    : TNodeTreeModel<TSummaryNodeData>(parent), Page(page), GeneralImages(generalImages) {
  GroupImage = TIconSet::Icon(QStringLiteral("folder"), 16);
  FileImage = TIconSet::Icon(QStringLiteral("file"), 16);
}

int TSummaryTreeModel::columnCount(const QModelIndex&) const {
  return FileListColumns;
}

void TSummaryTreeModel::SetMeasure(TMeasure measure) {
  ByMeasure = measure;
}

TMeasure TSummaryTreeModel::BarMeasure() const {
  return Summary && Summary->KnowsDiskSizes() ? ByMeasure : TMeasure::Size;
}

void TSummaryTreeModel::SetFileSource(const TFileRecordStore* files, const TFolderTree* folders,
                                      std::unordered_map<TNodeId, TFileId> nodeFiles) {
  Files = files;
  Folders = folders;
  NodeFiles = std::move(nodeFiles);
}

// A file's name and location are looked up when its row is painted: the tree holds no copies.
QString TSummaryTreeModel::CellText(TNodeId node, int column) const {
  switch (column) {
    case 0: {
      const std::string_view name = Summary->Name(node);
      return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    case 1:
      return QString::fromStdString(
          FormatSize(Summary->Size(node), 1, Locale.decimalPoint().toStdString()));
    case 2:
      return LastAccessText(Summary->LastAccess(node), Locale, Zone);
    case FileListDiskColumn:
      if (!Summary->KnowsDiskSizes()) return {};
      return QString::fromStdString(
          FormatSize(Summary->Disk(node).Bytes, 1, Locale.decimalPoint().toStdString()));
    default:
      return QString::fromStdString(Summary->Location(node));
  }
}

QString TSummaryTreeModel::ToolTip(TNodeId node) const {
  if (!Files || !Folders || !Summary->KnowsDiskSizes()) return {};
  const auto own = NodeFiles.find(node);
  const TFileId file = own != NodeFiles.end() ? own->second : Summary->File(node);
  if (file == NoFile || file >= Files->Count()) return {};
  return DiskNoteText(*Files, *Folders, NativePathStyle(), file, Locale.decimalPoint());
}

QVariant TSummaryTreeModel::data(const QModelIndex& index, int role) const {
  if (!Tree || !Summary || !index.isValid()) return {};
  const TNodeId node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
      return CellText(node, index.column());
    case Qt::DecorationRole: {
      if (index.column() != 0) return {};
      const std::int32_t image = Summary->ImageIndex(node);
      if (Page == TPage::Detail) return image == 0 ? GroupImage : FileImage;
      const auto i = static_cast<std::size_t>(image);
      if (!GeneralImages || image < 0 || i >= GeneralImages->size()) return {};
      return (*GeneralImages)[i];
    }
    case Qt::TextAlignmentRole:
      if (index.column() == 1 || index.column() == 2 || index.column() == FileListDiskColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::ToolTipRole: {
      const QString tip = ToolTip(node);
      return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case ShareBarRole: {
      if (Page != TPage::Detail || index.column() != 0) return {};
      const TNodeId first = Tree->FirstChild(NoNode);
      const TMeasure m = BarMeasure();
      const std::uint64_t whole = first == NoNode ? 0 : Summary->Bytes(first, m);
      if (whole == 0) return {};
      return ShareBarWidth(Summary->Bytes(node, m), whole);
    }
    case Qt::AccessibleTextRole:
    case Qt::AccessibleDescriptionRole:
      return index.column() == 0 ? SpokenText(node, role) : QVariant();
    default:
      return {};
  }
}

QVariant TSummaryTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return FileListHeader(section, orientation, role);
}

// What a screen reader says of a row: every column in one sentence, and on the Detail page what
// the share bar shows (the row's bytes by the measure against the largest group's); the
// description adds what the file is on the disk.
QString TSummaryTreeModel::SpokenText(TNodeId node, int role) const {
  QString share;
  const TNodeId first = Tree->FirstChild(NoNode);
  const TMeasure m = BarMeasure();
  if (Page == TPage::Detail && first != NoNode && Summary->Bytes(first, m) != 0) {
    const double percent = 100.0 * static_cast<double>(Summary->Bytes(node, m)) /
                           static_cast<double>(Summary->Bytes(first, m));
    share = QString::number(percent, 'f', 1).replace(QLatin1Char('.'), Locale.decimalPoint()) +
            QStringLiteral(" % of the largest group");
  }
  if (role == Qt::AccessibleDescriptionRole) {
    const QString note = ToolTip(node).replace(QLatin1Char('\n'), QStringLiteral("; "));
    return share.isEmpty() || note.isEmpty() ? share + note : share + QStringLiteral("; ") + note;
  }
  QString text = CellText(node, 0) + QStringLiteral(", ") + CellText(node, 1).trimmed();
  const QString disk = CellText(node, FileListDiskColumn).trimmed();
  if (!disk.isEmpty()) text += QStringLiteral(", ") + disk + QStringLiteral(" on disk");
  if (!share.isEmpty()) text += QStringLiteral(", ") + share;
  const QString accessed = CellText(node, 2);
  if (!accessed.isEmpty()) text += QStringLiteral(", last accessed ") + accessed;
  const QString location = CellText(node, 3);
  if (!location.isEmpty()) text += QStringLiteral(", in ") + location;
  return text;
}

std::string TSummaryTreeModel::FilePath(TNodeId node, std::string_view separator) const {
  if (!Tree || !Summary || node == NoNode) return {};
  std::string location = Summary->Location(node);
  if (location.empty()) return {};
  if (location.back() != separator.front()) location += separator;
  return location.append(Summary->Name(node));
}

}  // namespace Vellumetric
