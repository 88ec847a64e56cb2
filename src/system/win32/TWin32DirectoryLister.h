#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/TDirectoryLister.h"
#include "system/win32/TWin32Handles.h"

namespace Vellumetric {

// Lists with FindFirstFileW / FindNextFileW on the pattern path + "\*", as the program always
// did: folder reparse points are entered, and the system's path limit bounds the walk (a folder
// whose path is too long cannot be listed and counts as empty).
class TWin32DirectoryLister final : public TDirectoryLister {
 public:
  [[nodiscard]] TPathStyle Style() const override { return TPathStyle::Windows; }
  [[nodiscard]] bool ListsByFullPath() const override { return true; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Error; }

 private:
  struct TFrame {
    TFindHandle Find;
    WIN32_FIND_DATAW Data{};
    bool HasEntry = false;
    DWORD EndError = 0;  // why FindNextFileW stopped early, or 0
    std::string Name;    // the entry handed out last, valid until the next call
  };
  bool Open(std::string_view path);

  std::vector<TFrame> Frames;
  std::int32_t Error = 0;
};

}  // namespace Vellumetric
