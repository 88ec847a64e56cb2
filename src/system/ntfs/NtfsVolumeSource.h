#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "system/ntfs/TNtfsByteSource.h"

namespace Vellumetric {

// The platform's way to a volume's raw bytes (src/system/posix, src/system/win32). `root` is
// what the scan was given: a drive root such as "C:" on Windows (read as \\.\C:), an image file
// or an unmounted partition on Linux. Null, with the reason in words, when it cannot be opened
// (no administrator rights, not a raw volume).
[[nodiscard]] std::unique_ptr<TNtfsByteSource> OpenNtfsVolume(std::string_view root,
                                                              std::string& reason);

// Whether a drive root names a volume whose raw bytes OpenNtfsVolume can read (Windows), so a
// drive scan tries the MFT first; on Linux a drive is a mount point and only an image or a
// partition given as such is read raw.
[[nodiscard]] bool DriveRootsAreRawVolumes();

}  // namespace Vellumetric
