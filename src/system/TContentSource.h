#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "system/TOpenFile.h"

namespace Vellumetric {

enum class TOpenOutcome {
  Opened,
  Vanished,    // no longer there
  Unreadable,  // there, but the system refuses to open it
  NotRegular,  // a link, a device, a pipe: nothing whose bytes can be compared
  OnlineOnly,  // a cloud file whose bytes are not on this computer: opening it would download it
  NotCached,   // asked to read only what is in memory, and the bytes are on the disk alone
};

// Opens files to compare their bytes, without changing their last-access time where the system
// allows it. The search of duplicate files reads through this, so a benchmark or a test can give
// it files that are not on a disk.
class TContentSource {
 public:
  // The files of one folder, for reading the start of each in turn: a folder's files are reached
  // from the folder, without looking up its whole path again for each of them.
  class TFolder {
   public:
    virtual ~TFolder() = default;
    // Reads up to `buffer.size()` bytes from the start of the file `name` into `buffer` and
    // closes it; `got` is the count read (fewer at the end of the file). Opened when it was
    // read, Unreadable when a read failed. With `cachedOnly` (where CachedReads() says so), the
    // bytes are taken only from the system's memory, and NotCached says they are not all there.
    [[nodiscard]] virtual TOpenOutcome ReadStart(std::string_view name, std::span<std::byte> buffer,
                                                 std::size_t& got, bool cachedOnly) = 0;
  };

  virtual ~TContentSource() = default;

  // On Opened, `file` holds the open file. Meant for files the scan gave a size: devices, pipes
  // and sockets have none, and opening one could act on it.
  [[nodiscard]] virtual TOpenOutcome Open(const std::string& path,
                                          std::unique_ptr<TOpenFile>& file) = 0;
  // True when `path` lies on a disk whose heads must seek (a spinning disk): reading several files
  // at once there is slower than reading one after another. False when the system cannot tell.
  [[nodiscard]] virtual bool OnSpinningDisk(const std::string& path) = 0;
  // The folder at `path`, whose files' paths are `path`, `separator` and their names. This one
  // opens each file by its whole path; a system that can do better says so.
  [[nodiscard]] virtual std::unique_ptr<TFolder> EnterFolder(const std::string& path,
                                                             std::string_view separator);
  // Whether TFolder::ReadStart can read from the system's memory alone: several files read at
  // once from there cost a spinning disk no seek.
  [[nodiscard]] virtual bool CachedReads() const { return false; }
};

// The system's files.
[[nodiscard]] std::unique_ptr<TContentSource> CreateContentSource();

}  // namespace Vellumetric
