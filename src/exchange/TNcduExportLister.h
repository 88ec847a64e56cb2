#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "exchange/TCompressedOutput.h"
#include "exchange/TNcduItem.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// Writes an ncdu export (format 1.2) of a scan while the scan walks: it stands between the walk
// and the real lister and writes each entry as the walk reads it, so the export costs no memory
// beyond one entry and the names of files with several links. Directories go out as arrays led by
// their info object, files as info objects, in the walk's order.
//
// Each name of a file with several links carries its full blocks with one "ino" for all of them,
// so a reader counts them once however it places them; the ino is a number of the export's own,
// one per file, as inode numbers of different file systems could meet in one scan. A folder the
// walk could not open is written with "read_error", one it does not enter (another file system in
// a drive scan) as excluded "otherfs". The root's own size is written as 0: it counts nowhere.
//
// The walk lists the root only once through it (no progress count) and on one thread.
class TNcduExportLister final : public TDirectoryLister {
 public:
  // `header`: the program's name and version, the time, and the root's name as written.
  TNcduExportLister(std::unique_ptr<TDirectoryLister> inner, TCompressedOutput& out,
                    TNcduHeader header);

  [[nodiscard]] TPathStyle Style() const override { return Inner->Style(); }
  [[nodiscard]] bool ListsByFullPath() const override { return Inner->ListsByFullPath(); }
  [[nodiscard]] bool CanListTwice() const override { return false; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Inner->LastError(); }
  [[nodiscard]] std::uint64_t RootDiskSize() const override { return Inner->RootDiskSize(); }

  // Appends `name` as a JSON string: quotes, backslashes and control characters escaped, other
  // bytes as they are (ncdu writes names that are not UTF-8 unchanged, and reads them back so).
  static void AppendJsonString(std::string& out, std::string_view name);

 private:
  void WriteFolderInfo(bool readError);
  void WriteFile(const TDirEntry& entry);

  std::unique_ptr<TDirectoryLister> Inner;
  TCompressedOutput& Out;
  TNcduHeader Header;
  std::string Line;  // reused for each entry
  // The folder Next returned last, written when the walk enters it (or fails to).
  std::string PendingName;
  std::uint64_t PendingSize = 0;
  std::uint64_t PendingDisk = 0;
  std::size_t Depth = 0;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint64_t> Inodes;
};

}  // namespace Vellumetric
