#pragma once

#include <cstdint>
#include <string>

#include "system/TWindowsInfo.h"

namespace Vellumetric {

// Describes the running operating system and reads the Windows folder (empty where there is
// none). POSIX: the product name is PRETTY_NAME of /etc/os-release (else the kernel's name and
// release), the edition its VARIANT, the version class -1.
void GatherSystemInfo(TWindowsInfo& info, std::string& windowsFolder);

// The About window's memory line. Windows: string 10 ("Physical memory available to Windows:
// N MB"). POSIX names the running kernel instead ("Physical memory available to Linux: N MB"),
// since the Windows text would be false there.
[[nodiscard]] std::string PhysicalMemoryText(std::uint64_t megabytes);

}  // namespace Vellumetric
