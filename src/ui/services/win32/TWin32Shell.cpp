// The desktop services on Windows: Explorer is asked to show an item selected, and file-type
// icons come from the shell, both through the wide-character shell API.
#include <windows.h>
// After windows.h, which the shell headers need first.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <QImage>
#include <QPixmap>

#include "ui/services/TPlatformShell.h"

namespace Vellumetric {
namespace {

// COM for the calling thread, if nobody has started it yet (Qt's Windows platform plugin does;
// the offscreen one does not).
class TComScope {
 public:
  TComScope() : Result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComScope() {
    if (SUCCEEDED(Result)) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  HRESULT Result;
};

class TItemIdList {
 public:
  explicit TItemIdList(const std::wstring& path) : List(ILCreateFromPathW(path.c_str())) {}
  ~TItemIdList() {
    if (List) ILFree(List);
  }
  TItemIdList(const TItemIdList&) = delete;
  TItemIdList& operator=(const TItemIdList&) = delete;
  [[nodiscard]] PIDLIST_ABSOLUTE Get() const { return List; }

 private:
  PIDLIST_ABSOLUTE List;
};

class TIconHandle {
 public:
  explicit TIconHandle(HICON icon) : Icon(icon) {}
  ~TIconHandle() {
    if (Icon) DestroyIcon(Icon);
  }
  TIconHandle(const TIconHandle&) = delete;
  TIconHandle& operator=(const TIconHandle&) = delete;
  [[nodiscard]] HICON Get() const { return Icon; }

 private:
  HICON Icon;
};

class TWin32Shell final : public TPlatformShell {
 public:
  void ShowItem(const QUrl& item, QObject*, std::function<void(bool answered)> done) override {
    const std::wstring path = item.toLocalFile().replace('/', '\\').toStdWString();
    TComScope com;
    const TItemIdList list(path);
    // Explorer opens the folder holding the item and selects it; it returns once asked.
    done(list.Get() && SUCCEEDED(SHOpenFolderAndSelectItems(list.Get(), 0, nullptr, 0)));
  }

  QIcon TypeIcon(const QMimeType& type) override {
    const QString suffix = type.preferredSuffix();
    if (suffix.isEmpty()) return {};
    // The type's registered icon, asked by name only: no file is touched.
    const std::wstring name = (QStringLiteral("file.") + suffix).toStdWString();
    QIcon icon;
    for (const UINT size : {SHGFI_SMALLICON, SHGFI_LARGEICON}) {
      SHFILEINFOW info{};
      if (!SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                          SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | size)) {
        continue;
      }
      const TIconHandle handle(info.hIcon);
      const QImage image = QImage::fromHICON(handle.Get());
      if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
  }
};

}  // namespace

std::unique_ptr<TPlatformShell> CreatePlatformShell(const QString&) {
  return std::make_unique<TWin32Shell>();
}

}  // namespace Vellumetric
