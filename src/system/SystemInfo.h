#pragma once

#include <string>

#include "system/TWindowsInfo.h"

namespace Vellumetric {

// Describes the running operating system and reads the Windows folder (empty where there is
// none). POSIX: the product name is PRETTY_NAME of /etc/os-release (else the kernel's name and
// release), the edition its VARIANT, the version class -1.
void GatherSystemInfo(TWindowsInfo& info, std::string& windowsFolder);

}  // namespace Vellumetric
