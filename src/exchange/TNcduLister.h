#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exchange/TNcduParser.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// An ncdu export read as if it were the disk: the scan walk lists it like any folder tree and
// so builds exactly the model a scan of the disk builds (totals, file records, typed files, both
// biggest-files lists, hard links counted once in the walk's order). The file is read once,
// front to back, in the walk's order, which is the order the export was written in.
//
// What the export says maps onto a listing as follows: "asize" is the entry's Size (a folder's
// counts in its parent, the root's nowhere), "dsize" its blocks (a folder's own in its own On
// disk), "ino" with "hlnkc" and "nlink" its identity, "mtime" its time, "read_error" an error
// of the entry (or, for a folder, of its listing), and an excluded entry a folder the walk does
// not enter, as a scan meets a mount point it stays out of.
class TNcduLister final : public TDirectoryLister {
 public:
  // The error code a folder or file that the writer could not read gets.
  [[nodiscard]] static std::int32_t ReadErrorCode();

  TNcduLister();
  ~TNcduLister() override;

  // Opens the export and reads its header; false with `error` ("... at byte N") when the file
  // cannot be read or is no ncdu export.
  [[nodiscard]] bool Open(const std::string& path, std::string& error);
  [[nodiscard]] bool OpenBytes(std::string bytes, std::string& error) {
    return Parser.OpenBytes(std::move(bytes), error);
  }
  [[nodiscard]] const TNcduHeader& Header() const noexcept { return Parser.Header(); }
  // After the walk: whether the whole file was read, and what went wrong when not.
  [[nodiscard]] bool Failed();
  [[nodiscard]] std::string Error();
  [[nodiscard]] std::size_t BytesRead() const noexcept { return Parser.BytesRead(); }

  // The paths of the machine that wrote the file: Windows' when the root is "C:..." or "\\...".
  [[nodiscard]] TPathStyle Style() const override;
  [[nodiscard]] bool ListsByFullPath() const override { return false; }
  [[nodiscard]] bool CanListTwice() const override { return false; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Error_; }
  [[nodiscard]] std::uint64_t RootDiskSize() const override { return Parser.Root().Dsize; }

 private:
  struct TLevel {
    std::uint64_t Dev;
    bool ReadError;
    bool Ended;  // its end was read
  };
  enum class TPending { None, Folder, Excluded };

  void Fill(TDirEntry& entry, const TNcduItem& item, std::string_view name);

  TNcduParser Parser;
  std::vector<TLevel> Levels;
  TPending Pending = TPending::None;
  TLevel PendingLevel{};
  bool RootEntered = false;
  bool Finished = false;  // the root's end was read
  std::int32_t Error_ = 0;
};

}  // namespace Vellumetric
