#pragma once

#include <memory>
#include <string>

#include "system/TOpenFile.h"

namespace Vellumetric {

enum class TOpenOutcome {
  Opened,
  Vanished,    // no longer there
  Unreadable,  // there, but the system refuses to open it
  NotRegular,  // a link, a device, a pipe: nothing whose bytes can be compared
  OnlineOnly,  // a cloud file whose bytes are not on this computer: opening it would download it
};

// Opens files to compare their bytes, without changing their last-access time where the system
// allows it. The search of duplicate files reads through this, so a benchmark or a test can give
// it files that are not on a disk.
class TContentSource {
 public:
  virtual ~TContentSource() = default;

  // On Opened, `file` holds the open file. Meant for files the scan gave a size: devices, pipes
  // and sockets have none, and opening one could act on it.
  [[nodiscard]] virtual TOpenOutcome Open(const std::string& path,
                                          std::unique_ptr<TOpenFile>& file) = 0;
  // True when `path` lies on a disk whose heads must seek (a spinning disk): reading several files
  // at once there is slower than reading one after another. False when the system cannot tell.
  [[nodiscard]] virtual bool OnSpinningDisk(const std::string& path) = 0;
};

// The system's files.
[[nodiscard]] std::unique_ptr<TContentSource> CreateContentSource();

}  // namespace Vellumetric
