#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/TDirectoryLister.h"
#include "system/win32/TWin32Handles.h"

namespace Vellumetric {

// Lists on "\\?\" paths, so folders deeper than the old 260-character limit list like any other.
// A folder is read whole when it is opened, then closed: a chain of thousands of nested folders
// holds no handle per level. Each listing keeps its own wide path and opens a child from it and
// the child's exact wide name, so names that do not round-trip through UTF-8 still open.
//
// The listing comes from GetFileInformationByHandleEx with FileIdBothDirectoryInfo: per entry the
// allocation and the file ID, in 64 KiB batches, with no extra call per file. Where a file system
// refuses that class, FindFirstFileExW lists instead and the allocation is the size rounded up
// to whole clusters. Sparse and compressed files take their real allocation from
// GetCompressedFileSizeW, never on a network path, where that call can hang; files that are only
// online count 0 on disk and are never opened, since opening one downloads it. Every file carries
// its volume serial and file ID, since the listing gives no link count: the scan counts the
// blocks of a file with several names once.
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
  // Whether the last folder opened was listed by FindFirstFileExW because the file system
  // refused FileIdBothDirectoryInfo; exposed for tests and diagnostics.
  [[nodiscard]] bool ListedByFallback() const noexcept { return Volume.Refused; }

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
  // What the folders of one volume share. A folder link may lead onto another volume; its
  // folders then carry that volume's facts.
  struct TVolumeFacts {
    DWORD Serial = 0;
    bool Ntfs = false;     // file IDs are master-file-table record numbers
    bool Network = false;  // no GetCompressedFileSizeW there
    bool Refused = false;  // FileIdBothDirectoryInfo is refused: FindFirstFileExW lists
    std::uint64_t Cluster = 4096;
  };
  struct TStored {
    std::uint64_t Size;
    std::uint64_t Allocation;
    std::uint64_t LastAccess;
    std::uint64_t LastWrite;  // the content's last change
    std::uint64_t FileId;
    DWORD Attributes;
    std::uint32_t NameOffset;
    std::uint32_t NameLength;
  };
  struct TFrame {
    std::vector<TStored> Entries;
    std::wstring Names;
    std::size_t Pos = 0;
    DWORD EndError = 0;       // why the listing stopped early, or 0
    std::string Name;         // the entry handed out last, valid until the next call
    std::wstring LastName;    // the same, as the system spelled it
    bool LastIsLink = false;  // it is a folder reparse point
    TVolumeFacts Volume;
    TAncestor Self;
  };

  bool Open(std::wstring path, bool maybeOtherVolume);
  bool ReadByHandle(HANDLE folder, TFrame& frame);
  void ReadByFind(TFrame& frame);
  void LearnVolume(HANDLE folder, const std::wstring& path);
  [[nodiscard]] std::uint64_t Allocation(const TFrame& frame, const TStored& e,
                                         std::uint8_t& flags) const;
  void SetOuterFromRoot(const std::wstring& root);
  bool ChildPath(std::wstring& path);
  bool IsOnWalkedPath(const std::wstring& link);

  std::vector<TAncestor> Outer;  // the walked path above this lister's root
  std::vector<TFrame> Frames;
  TVolumeFacts Volume;  // of the folder opened last; a child starts from its parent's
  std::int32_t Error = 0;
};

}  // namespace Vellumetric
