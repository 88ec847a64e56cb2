#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "system/posix/TMountTable.h"

namespace Vellumetric {

// The Windows file-system flag bits that a Linux file system of this type has. Unknown types get
// none: better "No" than a guess. Read-only and quotas come from the mount, not the type.
[[nodiscard]] std::uint32_t FileSystemFlagsForType(std::string_view fsType);
[[nodiscard]] std::uint32_t FileSystemFlags(const TMountEntry& mount, bool readOnly);
[[nodiscard]] bool HasQuotaOption(std::string_view options);

// The mounts that count as fixed drives: a local file system on a block device that is not
// removable, not a loop or RAM device, one per device (the first mount wins, so bind mounts and
// repeated mounts drop out), ordered by mount point.
using TRemovableTest = std::function<bool(unsigned major, unsigned minor)>;
[[nodiscard]] std::vector<TMountEntry> SelectFixedDrives(const TMountTable& mounts,
                                                         const TRemovableTest& isRemovable);

}  // namespace Vellumetric
