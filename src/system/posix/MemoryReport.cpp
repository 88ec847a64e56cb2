#include "system/MemoryReport.h"

#include <malloc.h>

#include <cstdio>
#include <fstream>

namespace Vellumetric {

std::string MemoryReportText() {
  std::string text;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM") || line.starts_with("VmRSS") || line.starts_with("RssAnon")) {
      text += line + "\n";
    }
  }
#if defined(__GLIBC__)
  const struct mallinfo2 m = mallinfo2();
  char line[200];
  std::snprintf(line, sizeof line, "malloc: %.1f MiB in use, %.1f MiB free, %.1f MiB mapped\n",
                static_cast<double>(m.uordblks) / 1048576.0,
                static_cast<double>(m.fordblks) / 1048576.0,
                static_cast<double>(m.hblkhd) / 1048576.0);
  text += line;
#endif
  return text;
}

}  // namespace Vellumetric
