#include "system/SystemInfo.h"

#include <sys/utsname.h>

#include <fstream>
#include <sstream>

#include "system/SystemFolders.h"
#include "system/posix/OsRelease.h"

namespace Vellumetric {

void GatherSystemInfo(TWindowsInfo& info, std::string& windowsFolder) {
  std::string fallback;
  struct utsname u {};
  if (::uname(&u) == 0) fallback = std::string(u.sysname) + " " + u.release;
  std::stringstream text;
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(path);
    if (in) {
      text << in.rdbuf();
      break;
    }
  }
  info = DescribeOsRelease(text.str(), fallback);
  windowsFolder = GetWindowsFolder();
}

std::string PhysicalMemoryText(std::uint64_t megabytes) {
  struct utsname u {};
  const std::string system = ::uname(&u) == 0 ? std::string(u.sysname) : std::string("POSIX");
  return "Physical memory available to " + system + ": " + std::to_string(megabytes) + " MB";
}

}  // namespace Vellumetric
