#include "ui/models/TFolderTreeModel.h"

#include <QPalette>

#include <QPainter>

#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "system/StringTable.h"
#include "ui/paint/ShareBarPainter.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {
namespace {

// A small padlock over the lower right of `base`: the image stays recognisable, the lock says
// that what it stands for could not be read.
QIcon WithLock(const QIcon& base) {
  QIcon locked;
  for (const int size : {16, 32}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // An icon made at 16 px gives no larger pixmap: stretch it to the full square.
    painter.drawPixmap(QRect(0, 0, size, size), base.pixmap(size, size));
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    painter.setPen(QPen(QColor(70, 70, 70), 1.6 * u));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(9.5 * u, 5.5 * u, 4.5 * u, 6 * u), 0, 180 * 16);  // the shackle
    painter.setPen(QPen(QColor(70, 70, 70), 0.8 * u));
    painter.setBrush(QColor(232, 184, 40));
    painter.drawRoundedRect(QRectF(8.5 * u, 9 * u, 6.5 * u, 6 * u), u, u);
    painter.end();
    locked.addPixmap(QPixmap::fromImage(image));
  }
  return locked;
}

}  // namespace

TFolderTreeModel::TFolderTreeModel(QObject* parent, QString decimalSeparator)
    : TNodeTreeModel<TFolderData>(parent), DecimalSeparator(std::move(decimalSeparator)) {
  Images[0] = TIconSet::Icon(QStringLiteral("folder"), 16);
  Images[1] = TIconSet::Icon(QStringLiteral("file"), 16);
  Images[2] = TIconSet::Icon(QStringLiteral("drive"), 16);
  for (int i = 0; i < 3; ++i) LockedImages[i] = WithLock(Images[i]);
}

int TFolderTreeModel::columnCount(const QModelIndex&) const {
  return 3;
}

QString TFolderTreeModel::SizeText(const TFolderData& folder, std::uint64_t bytes) const {
  if (!folder.Complete) return QString::fromStdString(LoadResString(IDS_ANALYZING));
  return QString::fromStdString(FormatSize(bytes, 2, DecimalSeparator.toStdString()));
}

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const {
  if (!Tree || !index.isValid()) return {};
  const TNodeId node = NodeOf(index);
  const TFolderData& folder = Tree->Data(node);
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == 0) return QString::fromUtf8(folder.Name());
      // An excluded folder has no totals: the Size column says why, On Disk stays empty.
      if (folder.Excluded) return index.column() == 1 ? QStringLiteral("excluded") : QString();
      return SizeText(folder, index.column() == 1 ? folder.Size : folder.DiskSize);
    case Qt::DecorationRole: {
      if (index.column() != 0) return {};
      const int image = folder.Kind == FolderKindFolder  ? 0
                        : folder.Kind == FolderKindDrive ? 2
                                                         : 1;
      return folder.ReadError != 0 ? LockedImages[image] : Images[image];
    }
    case Qt::ForegroundRole:
      if (!folder.Excluded) return {};
      return QVariant::fromValue(QPalette().brush(QPalette::Disabled, QPalette::Text));
    case Qt::ToolTipRole:
      if (folder.Excluded) {
        return QStringLiteral("Left out by an exclusion rule: not scanned, no totals");
      }
      // Why its totals cover only what could be read.
      if (folder.ReadError == 0) return {};
      return QString::fromStdString(SystemErrorText(folder.ReadError));
    case Qt::TextAlignmentRole:
      return index.column() != 0 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case ShareBarRole: {
      const TNodeId parent = Tree->Parent(node);
      if (index.column() != 0 || parent == NoNode || !folder.ParentComplete || folder.Excluded) {
        return {};
      }
      const std::uint64_t whole = Tree->Data(parent).Bytes(ByMeasure);
      if (whole == 0) return {};
      return ShareBarWidth(folder.Bytes(ByMeasure), whole);
    }
    case Qt::AccessibleTextRole:
    case Qt::AccessibleDescriptionRole:
      return index.column() == 0 ? SpokenText(node, role) : QVariant();
    default:
      return {};
  }
}

// What a screen reader says of a row: its name, its size, what it takes on disk and what its
// share bar shows, so the row is understood without the other columns; the description repeats
// the share and says why a folder could not be read.
QString TFolderTreeModel::SpokenText(TNodeId node, int role) const {
  const TFolderData& folder = Tree->Data(node);
  QString share;
  const TNodeId parent = Tree->Parent(node);
  const std::uint64_t whole = parent == NoNode ? 0 : Tree->Data(parent).Bytes(ByMeasure);
  if (folder.ParentComplete && whole != 0) {
    const double percent =
        100.0 * static_cast<double>(folder.Bytes(ByMeasure)) / static_cast<double>(whole);
    share = QString::number(percent, 'f', 1).replace(QLatin1Char('.'), DecimalSeparator) +
            QStringLiteral(" % of ") + QString::fromUtf8(Tree->Data(parent).Name());
  }
  if (role == Qt::AccessibleDescriptionRole) {
    QString text = share;
    if (folder.ReadError != 0) {
      if (!text.isEmpty()) text += QStringLiteral("; ");
      text += QStringLiteral("could not be read: ") +
              QString::fromStdString(SystemErrorText(folder.ReadError));
    }
    return text;
  }
  QString text = QString::fromUtf8(folder.Name()) + QStringLiteral(", ") +
                 SizeText(folder, folder.Size).trimmed();
  if (folder.Complete) {
    text += QStringLiteral(", ") + SizeText(folder, folder.DiskSize).trimmed() +
            QStringLiteral(" on disk");
  }
  if (!share.isEmpty()) text += QStringLiteral(", ") + share;
  return text;
}

QVariant TFolderTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == 2) return QStringLiteral("On Disk");
  return QString::fromStdString(LoadResString(section == 0 ? IDS_COLUMN_NAME : IDS_COLUMN_SIZE));
}

void TFolderTreeModel::sort(int, Qt::SortOrder order) {
  if (ByMeasure == TMeasure::Disk) {
    SortTree([](const TFolderData& f) { return f.DiskSize; }, order == Qt::DescendingOrder);
  } else {
    SortTree([](const TFolderData& f) { return f.Size; }, order == Qt::DescendingOrder);
  }
}

void TFolderTreeModel::SetMeasure(TMeasure measure) {
  ByMeasure = measure;
}

}  // namespace Vellumetric
