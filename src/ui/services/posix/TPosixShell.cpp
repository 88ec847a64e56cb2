// The desktop services on Linux and other free desktops: the file manager is asked over D-Bus
// (org.freedesktop.FileManager1), file-type icons come from the icon theme.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>

#include "ui/services/TPlatformShell.h"

namespace Vellumetric {
namespace {

int ConnectionCounter = 0;

class TPosixShell final : public TPlatformShell {
 public:
  explicit TPosixShell(QString busAddress) : BusAddress(std::move(busAddress)) {
    // Outside a desktop session the theme is bare "hicolor", which has no file-type icons; the
    // theme the scripts install stands behind it.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor") {
      QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    }
    if (!BusAddress.isEmpty()) {
      ConnectionName = QStringLiteral("vellumetric-shell-%1").arg(++ConnectionCounter);
    }
  }

  ~TPosixShell() override {
    if (!ConnectionName.isEmpty()) QDBusConnection::disconnectFromBus(ConnectionName);
  }

  void ShowItem(const QUrl& item, QObject* context,
                std::function<void(bool answered)> done) override {
    QDBusConnection bus = BusAddress.isEmpty()
                              ? QDBusConnection::sessionBus()
                              : QDBusConnection::connectToBus(BusAddress, ConnectionName);
    if (!bus.isConnected()) {
      done(false);
      return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(item.toEncoded())} << QString();
    // Asked without waiting: a slow or absent file manager never freezes the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, done](QDBusPendingCallWatcher*) {
                       done(!watcher->isError());
                       watcher->deleteLater();
                     });
  }

  QIcon TypeIcon(const QMimeType& type) override {
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    return icon;
  }

 private:
  QString BusAddress;
  QString ConnectionName;
};

}  // namespace

std::unique_ptr<TPlatformShell> CreatePlatformShell(const QString& busAddress) {
  return std::make_unique<TPosixShell>(busAddress);
}

}  // namespace Vellumetric
