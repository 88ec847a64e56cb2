#include "ui/models/TChangesModel.h"

#include <QFont>
#include <algorithm>

#include "system/Formatting.h"
#include "ui/paint/ShareBarPainter.h"

namespace Vellumetric {
namespace {

enum : int { kFolder, kChange, kBefore, kAfter, kColumns };

std::uint64_t Magnitude(std::int64_t change) {
  return change < 0 ? 0 - static_cast<std::uint64_t>(change) : static_cast<std::uint64_t>(change);
}

QString Trimmed(const std::string& text) {
  return QString::fromStdString(text).trimmed();
}

}  // namespace

TChangesModel::TChangesModel(QObject* parent, QString decimalSeparator)
    : QAbstractItemModel(parent), DecimalSeparator(std::move(decimalSeparator)) {}

void TChangesModel::Clear() {
  beginResetModel();
  Diff.reset();
  Rows.clear();
  Largest = 0;
  endResetModel();
}

void TChangesModel::Show(std::shared_ptr<const TScanDiff> diff) {
  beginResetModel();
  Diff = std::move(diff);
  Rows.clear();
  Largest = 0;
  if (Diff) {
    AddGroup(QStringLiteral("Growth spots"), Diff->Growth, Diff->GrowthCount, false);
    AddGroup(QStringLiteral("Shrink spots"), Diff->Shrink, Diff->ShrinkCount, false);
    AddGroup(QStringLiteral("New folders"), Diff->Added, Diff->AddedCount, false);
    AddGroup(QStringLiteral("Gone folders"), Diff->Removed, Diff->RemovedCount, true);
    if (Rows.empty())
      Rows.push_back({TRowKind::Nothing, QStringLiteral("No folder changed."), nullptr});
  }
  endResetModel();
}

void TChangesModel::AddGroup(const QString& title, const std::vector<TFolderChange>& list,
                             std::size_t count, bool gone) {
  if (count == 0) return;
  Rows.push_back({TRowKind::Heading, title, nullptr});
  for (const TFolderChange& c : list) {
    Rows.push_back({gone ? TRowKind::Gone : TRowKind::Folder, QString(), &c});
    Largest = std::max(Largest, Magnitude(c.Change()));
  }
  if (count > list.size()) {
    Rows.push_back(
        {TRowKind::More,
         QStringLiteral("... and %1 more").arg(static_cast<qulonglong>(count - list.size())),
         nullptr});
  }
}

QModelIndex TChangesModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || column < 0 || column >= kColumns ||
      static_cast<std::size_t>(row) >= Rows.size()) {
    return {};
  }
  return createIndex(row, column);
}

QModelIndex TChangesModel::parent(const QModelIndex&) const {
  return {};
}

int TChangesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TChangesModel::columnCount(const QModelIndex&) const {
  return kColumns;
}

bool TChangesModel::IsHeading(int row) const {
  const auto r = static_cast<std::size_t>(row);
  return r < Rows.size() && Rows[r].Kind != TRowKind::Folder && Rows[r].Kind != TRowKind::Gone;
}

QVariant TChangesModel::DisplayText(const TRow& row, int column) const {
  if (!row.Change) return column == kFolder ? QVariant(row.Text) : QVariant();
  const TFolderChange& c = *row.Change;
  const std::string separator = DecimalSeparator.toStdString();
  switch (column) {
    case kFolder:
      return QString::fromStdString(c.Path);
    case kChange:
      return Trimmed(FormatSizeChange(c.Change(), separator));
    case kBefore:
      return c.Before > 0 || row.Kind == TRowKind::Gone
                 ? Trimmed(FormatSize(c.Before, 2, separator))
                 : QString();
    default:
      return row.Kind == TRowKind::Gone ? QString() : Trimmed(FormatSize(c.After, 2, separator));
  }
}

QVariant TChangesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const TRow& row = Rows[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return DisplayText(row, index.column());
    case Qt::ToolTipRole:
      return row.Change && index.column() == kFolder ? QString::fromStdString(row.Change->Path)
                                                     : QVariant();
    case Qt::FontRole:
      if (row.Kind == TRowKind::Heading) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::TextAlignmentRole:
      return index.column() == kFolder ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case ShareBarRole:
      if (row.Change && index.column() == kFolder && Largest > 0) {
        return ShareBarWidth(Magnitude(row.Change->Change()), Largest);
      }
      return {};
    case FolderIndexRole:
      if (row.Kind == TRowKind::Folder && row.Change->AfterIndex != NoNode) {
        return static_cast<qulonglong>(row.Change->AfterIndex);
      }
      return {};
    case PathRole:
      return row.Change ? QVariant(QString::fromStdString(row.Change->Path)) : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags TChangesModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  switch (Rows[static_cast<std::size_t>(index.row())].Kind) {
    case TRowKind::Folder:
      return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    case TRowKind::Heading:
    case TRowKind::Nothing:
      return Qt::ItemIsEnabled;
    default:
      return Qt::NoItemFlags;  // greyed: a gone folder, the "more" line
  }
}

QVariant TChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kFolder:
      return QStringLiteral("Folder");
    case kChange:
      return QStringLiteral("Change");
    case kBefore:
      return QStringLiteral("Before");
    case kAfter:
      return QStringLiteral("After");
    default:
      return {};
  }
}

}  // namespace Vellumetric
