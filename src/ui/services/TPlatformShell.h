#pragma once

#include <QIcon>
#include <QMimeType>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

namespace Vellumetric {

// The part of the desktop services that differs per platform: asking the file manager to show a
// file, and the desktop's icon for a file type. posix/ and win32/ each implement it and CMake
// builds one of them; TDesktopShell is its one user.
class TPlatformShell {
 public:
  virtual ~TPlatformShell() = default;

  // Asks the file manager to show the folder holding `item` with `item` selected, without waiting
  // for it. `done` runs once on the calling thread, true when the file manager took the request;
  // never after `context` is gone.
  virtual void ShowItem(const QUrl& item, QObject* context,
                        std::function<void(bool answered)> done) = 0;
  // The desktop's icon for files of `type`; a null icon when it has none.
  [[nodiscard]] virtual QIcon TypeIcon(const QMimeType& type) = 0;
};

// `busAddress`: where to find the file manager (a D-Bus address on POSIX); empty for the user's
// own desktop session.
[[nodiscard]] std::unique_ptr<TPlatformShell> CreatePlatformShell(const QString& busAddress);

}  // namespace Vellumetric
