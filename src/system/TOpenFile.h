#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>

namespace Vellumetric {

// Who a file is, whatever name reaches it: the device and inode on POSIX, the volume serial and
// file ID on Windows. Two names with one identity are one file (hard links).
struct TOpenIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t High = 0;  // the upper half of a 128-bit file ID; 0 where IDs have 64 bits
  std::uint64_t Low = 0;

  friend auto operator<=>(const TOpenIdentity&, const TOpenIdentity&) = default;
};

// What tells that a file has changed between two looks: its size, its last write, and whether
// it still has a name (on POSIX an open file stays readable after it is deleted).
struct TFileStamp {
  std::uint64_t Size = 0;
  std::int64_t Written = 0;  // in the system's own unit; only compared
  bool Deleted = false;

  friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

// A file opened for reading its bytes, closed when destroyed.
class TOpenFile {
 public:
  virtual ~TOpenFile() = default;

  // As the system gave them when the file was opened.
  [[nodiscard]] virtual TOpenIdentity Identity() const noexcept = 0;
  [[nodiscard]] virtual TFileStamp OpenedStamp() const noexcept = 0;
  // Asks the system again; false when it cannot say.
  [[nodiscard]] virtual bool CurrentStamp(TFileStamp& stamp) const = 0;
  // Reads up to `buffer.size()` bytes from `offset`: the count read, fewer only at the end of the
  // file, or -1 when the read failed.
  [[nodiscard]] virtual std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> buffer) = 0;
};

}  // namespace Vellumetric
