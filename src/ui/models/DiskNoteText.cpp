#include "ui/models/DiskNoteText.h"

#include <QStringList>

#include "find/TFileQuery.h"
#include "system/Formatting.h"

namespace Vellumetric {
namespace {

QString SizeText(std::uint64_t bytes, const QString& decimalPoint) {
  return QString::fromStdString(FormatSize(bytes, 2, decimalPoint.toStdString())).trimmed();
}

// The name whose blocks count is the one the walk met first; every other name shows 0 on disk.
QString HardLinkLine(const TFileRecordStore& files, const TFolderTree& tree, TPathStyle style,
                     TFileId file) {
  const THardLinkInfo link = files.HardLink(file);
  QString text = QStringLiteral("hard link: ");
  if (link.Names > 1) text += QStringLiteral("%1 names, ").arg(link.Names);
  if (link.First == file) return text + QStringLiteral("counted once here");
  if (link.First == NoFile) return text + QStringLiteral("counted once, at another name");
  return text + QStringLiteral("counted once at ") +
         QString::fromStdString(FoundFilePath(files, tree, style, link.First));
}

}  // namespace

QString DiskNoteText(const TFileRecordStore& files, const TFolderTree& tree, TPathStyle style,
                     TFileId file, const QString& decimalPoint) {
  const TFileRecord r = files.Record(file);
  QStringList lines;
  if (r.DiskFlags & DiskHardLink) lines.push_back(HardLinkLine(files, tree, style, file));
  const QString both = SizeText(r.Size, decimalPoint) + QStringLiteral(", ") +
                       SizeText(r.DiskSize, decimalPoint) + QStringLiteral(" on disk");
  if (r.DiskFlags & DiskSparse) lines.push_back(QStringLiteral("sparse: ") + both);
  if (r.DiskFlags & DiskCompressed) lines.push_back(QStringLiteral("compressed: ") + both);
  if (r.DiskFlags & DiskOnlineOnly) {
    lines.push_back(QStringLiteral("online only: ") + SizeText(r.DiskSize, decimalPoint) +
                    QStringLiteral(" on disk"));
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace Vellumetric
