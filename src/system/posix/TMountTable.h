#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vellumetric {

// One line of /proc/self/mountinfo, with the octal escapes (\040 ...) of its paths undone.
struct TMountEntry {
  int MountId = 0;
  int ParentId = 0;
  unsigned Major = 0;
  unsigned Minor = 0;
  std::string Root;
  std::string MountPoint;
  std::string Options;
  std::string FsType;
  std::string Source;
  std::string SuperOptions;
};

// The mounts of this process, parsed from mountinfo text.
class TMountTable {
 public:
  TMountTable() = default;
  explicit TMountTable(std::vector<TMountEntry> entries) : Entries(std::move(entries)) {}

  // Malformed lines are passed over; the rest of the text still counts.
  [[nodiscard]] static TMountTable Parse(std::string_view text);
  // Reads /proc/self/mountinfo; an empty table when it cannot be read.
  [[nodiscard]] static TMountTable LoadCurrent();

  [[nodiscard]] const std::vector<TMountEntry>& All() const noexcept { return Entries; }
  // The first mount of the device, or nullptr.
  [[nodiscard]] const TMountEntry* FindByDevice(unsigned major, unsigned minor) const noexcept;

 private:
  std::vector<TMountEntry> Entries;
};

// Kernel file systems that hold no user data and must never be walked (proc, sysfs, ...).
[[nodiscard]] bool IsVirtualFileSystemType(std::string_view fsType) noexcept;
// The same test by statfs f_type, for devices that mountinfo does not name.
[[nodiscard]] bool IsVirtualFileSystemMagic(std::uint64_t magic) noexcept;

}  // namespace Vellumetric
