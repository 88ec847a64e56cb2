#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "system/TDirectoryLister.h"
#include "system/posix/TMountTable.h"
#include "system/posix/TUniqueFd.h"

namespace Vellumetric {

// Lists with openat + getdents64 and one fstatat per entry (a folder: openat + fstat, and the
// walk enters it with that descriptor), always relative to the folder's own descriptor, so path
// length never limits the walk and no symbolic link is followed.
//
// Each open listing reads its names into memory first. That lets a folder give up its
// descriptor as soon as its last subfolder is entered (a chain of 10,000 nested folders keeps
// two descriptors open), and at most `descriptorBudget` descriptors are held otherwise: past the
// budget a parent lends its descriptor out and gets it back through ".." of the child when the
// walk returns (checked by device and inode).
class TPosixDirectoryLister final : public TDirectoryLister {
 public:
  explicit TPosixDirectoryLister(std::size_t descriptorBudget = 256);
  ~TPosixDirectoryLister() override;

  [[nodiscard]] TPathStyle Style() const override { return TPathStyle::Posix; }
  [[nodiscard]] bool ListsByFullPath() const override { return false; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Error; }
  [[nodiscard]] std::uint64_t RootDiskSize() const override { return RootBlocks; }
  [[nodiscard]] std::unique_ptr<TDirectoryLister> CloneEmpty(
      std::size_t descriptorBudget) const override;
  [[nodiscard]] bool HandOff(std::string_view name, std::string_view fullPath,
                             TDirectoryLister& other) override;
  [[nodiscard]] bool HasMore() const override;
  [[nodiscard]] std::optional<bool> ListedFolderHolds(std::string_view name, std::string_view file,
                                                      std::string_view signature) override;
  [[nodiscard]] bool LooksIntoListedFolders() const override { return true; }

  // Descriptors held right now; exposed for tests of the budget.
  [[nodiscard]] std::size_t OpenDescriptors() const noexcept { return OpenCount; }

 private:
  struct TFrame {
    TUniqueFd Fd;
    dev_t Dev = 0;
    ino_t Ino = 0;
    std::vector<char> Names;  // per entry: d_type byte, name, NUL
    std::size_t Pos = 0;
    bool NeedsReopen = false;
    dev_t LastDev = 0;  // identity of the entry Next() returned last
    ino_t LastIno = 0;
    int ReadError = 0;          // why reading the names stopped early, or 0
    bool NamesPending = false;  // handed over: the receiving thread reads the names itself
  };

  bool Push(TUniqueFd fd, const struct stat& st, bool readNames = true);
  bool OpenChild(std::string_view name, TUniqueFd& fd, struct stat& st);
  void ReadNames(TFrame& frame);
  [[nodiscard]] static bool StartsWith(int dirFd, const char* file, std::string_view signature);
  bool Measure(int dirFd, const char* name, unsigned char type, struct stat& st);
  bool MayEnterDevice(dev_t dev, int fd, dev_t parentDev);
  void CloseFrameFd(TFrame& frame);
  void RestoreParent(TUniqueFd& up);

  std::int32_t Error = 0;
  std::size_t Budget;
  std::size_t OpenCount = 0;
  std::size_t PendingReopens = 0;
  std::size_t Depth = 0;  // frames in use; Frames keeps spare ones for reuse
  std::vector<std::unique_ptr<TFrame>> Frames;
  TUniqueFd Carried;  // a descriptor of the innermost folder after its own was given up
  TUniqueFd Opened;   // the folder Next returned last, opened to measure it, until entered
  // That folder's names, when a marker rule has read them already; entering it takes them.
  std::vector<char> OpenedNames;
  int OpenedNamesError = 0;
  bool HasOpenedNames = false;
  bool StayOnRoot = false;
  dev_t RootDev = 0;
  std::uint64_t RootBlocks = 0;
  // Read once, when a folder on another device is first met, and shared with the clones.
  std::shared_ptr<const TMountTable> Mounts;
};

}  // namespace Vellumetric
