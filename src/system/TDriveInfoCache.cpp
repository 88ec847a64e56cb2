#include "system/TDriveInfoCache.h"

#include "system/PathRules.h"

namespace Vellumetric {

const TDriveInfo& TDriveInfoCache::Get(std::string_view root) {
  for (const TDriveInfo& entry : Entries) {
    if (EqualsIgnoreAsciiCase(entry.RootPath, root)) return entry;
  }
  Entries.push_back(Gather(root));
  Entries.back().RootPath = std::string(root);
  return Entries.back();
}

}  // namespace Vellumetric
