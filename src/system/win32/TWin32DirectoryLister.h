#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/TDirectoryLister.h"
#include "system/win32/TWin32Handles.h"

namespace Vellumetric {

// Lists with FindFirstFileExW (basic information, large fetches) on "\\?\" paths, so folders
// deeper than the old 260-character limit list like any other. Each listing keeps its own
// wide path and opens a child from it and the child's exact wide name, so names that do not
// round-trip through UTF-8 still open.
//
// Folder reparse points (junctions, folder links) are entered, as they always were, except one
// whose target is a folder already on the path being walked: without the old path limit
// nothing else would end such a loop. Identities compare the volume serial and the file index.
class TWin32DirectoryLister final : public TDirectoryLister {
 public:
  [[nodiscard]] TPathStyle Style() const override { return TPathStyle::Windows; }
  [[nodiscard]] bool ListsByFullPath() const override { return false; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Error; }
  [[nodiscard]] std::unique_ptr<TDirectoryLister> CloneEmpty(std::size_t) const override;
  [[nodiscard]] bool HandOff(std::string_view name, std::string_view fullPath,
                             TDirectoryLister& other) override;
  [[nodiscard]] bool HasMore() const override;

  // A path as the long-path form "\\?\C:\..." or "\\?\UNC\server\share\...".
  [[nodiscard]] static std::wstring LongPath(std::string_view path);

 private:
  // A folder on the path being walked; its identity is looked up only when a folder link is
  // met, so a tree without links costs nothing extra.
  struct TAncestor {
    std::wstring Path;
    bool Known = false;
    bool Valid = false;
    DWORD Serial = 0;
    std::uint64_t Index = 0;
  };
  struct TFrame {
    TFindHandle Find;
    WIN32_FIND_DATAW Data{};
    bool HasEntry = false;
    DWORD EndError = 0;       // why FindNextFileW stopped early, or 0
    std::string Name;         // the entry handed out last, valid until the next call
    std::wstring LastName;    // the same, as the system spelled it
    bool LastIsLink = false;  // it is a folder reparse point
    TAncestor Self;
  };

  bool Open(std::wstring path);
  void SetOuterFromRoot(const std::wstring& root);
  bool ChildPath(std::wstring& path);
  bool IsOnWalkedPath(const std::wstring& link);

  std::vector<TAncestor> Outer;  // the walked path above this lister's root
  std::vector<TFrame> Frames;
  std::int32_t Error = 0;
};

}  // namespace Vellumetric
