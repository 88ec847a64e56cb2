#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>

namespace Vellumetric {

class TPlatformShell;

// What the program asks of the desktop: open a file or folder with the user's application,
// show an item selected in the file manager, and the icon of a file by its type. Nothing here
// goes through a shell command line. What differs per platform is behind TPlatformShell.
class TDesktopShell final : public QObject {
 public:
  // `busAddress`: where to ask for the file manager (on POSIX the D-Bus session bus); empty for
  // the user's own.
  explicit TDesktopShell(QObject* parent, QString busAddress = {});
  ~TDesktopShell() override;

  // Whether the paths shown are this computer's: not for a scan read from another machine's
  // file, whose paths may name something else here. Opening and showing do nothing then.
  void SetPathsAreLocal(bool local) noexcept { Local = local; }
  [[nodiscard]] bool PathsAreLocal() const noexcept { return Local; }

  // Opens a file or folder with its default application (a folder in the file manager).
  bool OpenPath(const std::string& path);
  // Asks the file manager (on POSIX org.freedesktop.FileManager1) to show the folder holding
  // `path` with `path` selected; when no file manager answers, opens the containing folder.
  void ShowItemInFolder(const std::string& path);
  // The icon theme's icon for the file's MIME type, looked up once per type; the program's own
  // file icon where the theme has none.
  [[nodiscard]] QIcon FileIcon(const std::string& path);

  // How URLs are opened; QDesktopServices::openUrl unless replaced.
  std::function<bool(const QUrl&)> OpenUrl;
  // Called when the file manager's reply or the fallback has been dealt with (for waiting).
  std::function<void(bool answered)> ShowItemDone;

 private:
  bool Local = true;
  QHash<QString, QIcon> IconsByType;
  QIcon FallbackIcon;
  std::unique_ptr<TPlatformShell> Platform;
};

// The file: URL of a local path; bytes that are not UTF-8 are kept as the file system has them.
[[nodiscard]] QUrl LocalFileUrl(const std::string& path);

}  // namespace Vellumetric
