#include "ui/models/TFindResultsModel.h"

#include "system/Formatting.h"
#include "ui/models/DiskNoteText.h"
#include "ui/models/FileListHeader.h"
#include "ui/models/LastAccessText.h"
#include "ui/paint/ShareBarPainter.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {
namespace {

constexpr std::uint64_t kUnixEpochFileTime = 116444736000000000ULL;
constexpr std::uint64_t kFileTimesPerSecond = 10000000ULL;

// The records keep the last access in seconds since 1970; the column shows file times the way
// the summary pages do.
std::uint64_t FileTimeOf(std::int64_t unixSeconds) {
  if (unixSeconds == TFileRecordStore::NoAccessTime) return 0;
  return static_cast<std::uint64_t>(unixSeconds) * kFileTimesPerSecond + kUnixEpochFileTime;
}

}  // namespace

TFindResultsModel::TFindResultsModel(QObject* parent) : QAbstractTableModel(parent) {
  FileImage = TIconSet::Icon(QStringLiteral("file"), 16);
}

void TFindResultsModel::Attach(const TFindResult* found, const TFileRecordStore* files,
                               const TFolderTree* tree, TPathStyle style) {
  beginResetModel();
  Found = found;
  Files = files;
  Tree = tree;
  Style = style;
  endResetModel();
}

void TFindResultsModel::Detach() {
  Attach(nullptr, nullptr, nullptr, Style);
}

TFileId TFindResultsModel::FileAt(int row) const {
  if (!Found || row < 0 || static_cast<std::size_t>(row) >= Found->Files.size()) return NoFile;
  return Found->Files[static_cast<std::size_t>(row)].Id;
}

TNodeId TFindResultsModel::FolderAt(int row) const {
  const TFileId file = FileAt(row);
  return file == NoFile ? NoNode : Files->Record(file).Folder;
}

std::string TFindResultsModel::PathAt(int row) const {
  const TFileId file = FileAt(row);
  return file == NoFile ? std::string() : FoundFilePath(*Files, *Tree, Style, file);
}

int TFindResultsModel::rowCount(const QModelIndex& parent) const {
  return Found && !parent.isValid() ? static_cast<int>(Found->Files.size()) : 0;
}

int TFindResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FileListColumns;
}

QString TFindResultsModel::CellText(const TFoundFile& found, int column) const {
  switch (column) {
    case 0: {
      const std::string_view name = Files->Name(found.Id);
      return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    case 1:
      return QString::fromStdString(FormatSize(found.Size, 1, Locale.decimalPoint().toStdString()))
          .trimmed();
    case 2:
      return LastAccessText(FileTimeOf(Files->LastAccess(found.Id)), Locale, Zone);
    case FileListDiskColumn:
      return QString::fromStdString(
                 FormatSize(found.DiskSize, 1, Locale.decimalPoint().toStdString()))
          .trimmed();
    default:
      return QString::fromStdString(Tree->Data(Files->Record(found.Id).Folder).Path.Str());
  }
}

QVariant TFindResultsModel::data(const QModelIndex& index, int role) const {
  const TFileId file = FileAt(index.row());
  if (file == NoFile) return {};
  const TFoundFile& found = Found->Files[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return CellText(found, index.column());
    case Qt::ToolTipRole: {
      QString tip = QString::fromStdString(PathAt(index.row()));
      const QString note = DiskNoteText(*Files, *Tree, Style, file, Locale.decimalPoint());
      if (!note.isEmpty()) tip += QLatin1Char('\n') + note;
      return tip;
    }
    case Qt::DecorationRole:
      return index.column() == 0 ? QVariant(FileImage) : QVariant();
    case Qt::TextAlignmentRole:
      if (index.column() == 1 || index.column() == 2 || index.column() == FileListDiskColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case ShareBarRole: {
      const std::uint64_t whole =
          Found->Measure == TMeasure::Disk ? Found->DiskBytes : Found->Bytes;
      if (index.column() != 0 || whole == 0) return {};
      return ShareBarWidth(found.Bytes(Found->Measure), whole);
    }
    default:
      return {};
  }
}

QVariant TFindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return FileListHeader(section, orientation, role);
}

}  // namespace Vellumetric
