#include "ui/TDesktopShell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include "ui/TIconSet.h"

namespace Vellumetric {
namespace {
int ConnectionCounter = 0;
}

QUrl LocalFileUrl(const std::string& path) {
  return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
}

TDesktopShell::TDesktopShell(QObject* parent, QString busAddress)
    : QObject(parent),
      OpenUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      BusAddress(std::move(busAddress)) {
  FallbackIcon = TIconSet::Icon(QStringLiteral("file"), 16);
  // Outside a desktop session the theme is bare "hicolor", which has no file-type icons; the
  // theme the scripts install stands behind it.
  if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor") {
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  }
  if (!BusAddress.isEmpty()) {
    ConnectionName = QStringLiteral("vellumetric-shell-%1").arg(++ConnectionCounter);
  }
}

TDesktopShell::~TDesktopShell() {
  if (!ConnectionName.isEmpty()) QDBusConnection::disconnectFromBus(ConnectionName);
}

bool TDesktopShell::OpenPath(const std::string& path) {
  if (path.empty()) return false;
  return OpenUrl(LocalFileUrl(path));
}

void TDesktopShell::ShowItemInFolder(const std::string& path) {
  if (path.empty()) return;
  const QUrl item = LocalFileUrl(path);
  const QString folder = QFileInfo(item.toLocalFile()).absolutePath();
  const auto fallback = [this, folder](bool answered) {
    if (!answered) OpenUrl(QUrl::fromLocalFile(folder));
    if (ShowItemDone) ShowItemDone(answered);
  };
  QDBusConnection bus = BusAddress.isEmpty()
                            ? QDBusConnection::sessionBus()
                            : QDBusConnection::connectToBus(BusAddress, ConnectionName);
  if (!bus.isConnected()) {
    fallback(false);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << QStringList{QString::fromUtf8(item.toEncoded())} << QString();
  // Asked without waiting: a slow or absent file manager never freezes the window.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [watcher, fallback](QDBusPendingCallWatcher*) {
            fallback(!watcher->isError());
            watcher->deleteLater();
          });
}

QIcon TDesktopShell::FileIcon(const std::string& path) {
  static const QMimeDatabase mimes;
  const QMimeType type = mimes.mimeTypeForFile(QFile::decodeName(QByteArray::fromStdString(path)),
                                               QMimeDatabase::MatchExtension);
  const QString name = type.name();
  const auto found = IconsByType.constFind(name);
  if (found != IconsByType.constEnd()) return *found;
  QIcon icon = QIcon::fromTheme(type.iconName());
  if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
  if (icon.isNull()) icon = FallbackIcon;
  IconsByType.insert(name, icon);
  return icon;
}

}  // namespace Vellumetric
