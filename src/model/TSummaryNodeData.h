#pragma once

#include <cstdint>
#include <string>

#include "model/TNodeTree.h"

namespace Vellumetric {

// One node of the General or Detail summary page: a section, a group or a file.
struct TSummaryNodeData {
  std::string Name;
  std::string Location;
  std::uint64_t Size = 0;
  std::int32_t ImageIndex = 0;
  std::uint64_t LastAccess = 0;
};

using TSummaryTree = TNodeTree<TSummaryNodeData>;

}  // namespace Vellumetric
