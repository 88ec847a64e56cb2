#include "ui/services/TDesktopShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>

#include "ui/common/PathQText.h"
#include "ui/services/TIconSet.h"
#include "ui/services/TPlatformShell.h"

namespace Vellumetric {

QUrl LocalFileUrl(const std::string& path) {
  return QUrl::fromLocalFile(PathToQt(path));
}

TDesktopShell::TDesktopShell(QObject* parent, QString busAddress)
    : QObject(parent), OpenUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
  FallbackIcon = TIconSet::Icon(QStringLiteral("file"), 16);
  Platform = CreatePlatformShell(busAddress);
}

TDesktopShell::~TDesktopShell() = default;

bool TDesktopShell::OpenPath(const std::string& path) {
  if (path.empty() || !Local) return false;
  return OpenUrl(LocalFileUrl(path));
}

void TDesktopShell::ShowItemInFolder(const std::string& path) {
  if (path.empty() || !Local) return;
  const QUrl item = LocalFileUrl(path);
  const QString folder = QFileInfo(item.toLocalFile()).absolutePath();
  Platform->ShowItem(item, this, [this, folder](bool answered) {
    if (!answered) OpenUrl(QUrl::fromLocalFile(folder));
    if (ShowItemDone) ShowItemDone(answered);
  });
}

QIcon TDesktopShell::FileIcon(const std::string& path) {
  static const QMimeDatabase mimes;
  const QMimeType type = mimes.mimeTypeForFile(PathToQt(path), QMimeDatabase::MatchExtension);
  const QString name = type.name();
  const auto found = IconsByType.constFind(name);
  if (found != IconsByType.constEnd()) return *found;
  QIcon icon = Platform->TypeIcon(type);
  if (icon.isNull()) icon = FallbackIcon;
  IconsByType.insert(name, icon);
  return icon;
}

}  // namespace Vellumetric
