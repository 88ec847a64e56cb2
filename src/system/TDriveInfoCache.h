#pragma once

#include <deque>
#include <functional>
#include <string_view>

#include "system/TDriveInfo.h"

namespace Vellumetric {

// Drive data gathered once per root for the life of the window: the first visit's free space
// stays on the page. Roots compare without regard to ASCII case ("c:\" and "C:\" share one
// entry).
class TDriveInfoCache {
 public:
  using TGather = std::function<TDriveInfo(std::string_view root)>;

  explicit TDriveInfoCache(TGather gather =
                               [](std::string_view root) { return GatherDriveInfo(root); })
      : Gather(std::move(gather)) {}

  // The cached entry for root, gathered and appended on first use. The reference stays valid
  // for the cache's life (entries are never moved).
  const TDriveInfo& Get(std::string_view root);
  [[nodiscard]] std::size_t Count() const noexcept { return Entries.size(); }

 private:
  TGather Gather;
  std::deque<TDriveInfo> Entries;
};

}  // namespace Vellumetric
