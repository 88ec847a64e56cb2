#include "app/AppCommandLine.h"

#include <cstdio>
#include <cstring>

#include "system/ProductVersion.h"

namespace Vellumetric {

namespace {

constexpr const char* kUsage =
    "Usage: vellumetric [options] [PATH]\n"
    "Quendrix Vellumetric: which folders and which kinds of files take up the space on a disk.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Displays help on commandline options.\n"
    "  -v, --version  Displays version information.\n"
    "\n"
    "Arguments:\n"
    "  PATH           A folder to scan at once, or a saved summary (.sbf) to open.\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted as well.\n";

}  // namespace

std::optional<int> HandleInformationOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;  // what follows is a path, even "--help"
    if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "--version") == 0) {
      std::printf("Quendrix Vellumetric %s\n", VellumetricVersion);
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace Vellumetric
