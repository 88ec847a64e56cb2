#include "ui/models/FileListHeader.h"

#include <QString>

#include "system/StringTable.h"

namespace Vellumetric {

QVariant FileListHeader(int section, Qt::Orientation orientation, int role) {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0:
      return QString::fromStdString(LoadResString(IDS_COLUMN_NAME));
    case 1:
      return QString::fromStdString(LoadResString(IDS_COLUMN_SIZE));
    case 2:
      return QStringLiteral("Last Access Time");
    case FileListDiskColumn:
      return QStringLiteral("On Disk");
    default:
      return QStringLiteral("Location");
  }
}

}  // namespace Vellumetric
