#pragma once

#include <cstdint>
#include <string>

namespace Vellumetric {

// The operating-system description shown by the about window. VersionClass: 0 Windows 2000,
// 1 XP (also XP Professional x64), 2 Server 2003, 3 Vista, 4 Windows 7, 5 Windows 8; -1 for
// any other system, POSIX ones included.
struct TWindowsInfo {
  std::int32_t VersionClass = -1;
  std::string ProductName;
  std::string Edition;
};

}  // namespace Vellumetric
