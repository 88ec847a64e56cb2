#pragma once

#include <cstdint>
#include <string>

#include "model/TNodeTree.h"
#include "model/TPathText.h"

namespace Vellumetric {

// One node of the General or Detail summary page: a section, a group or a file. A file's
// Location is shared text: a folder of 10,000 files holds its location once.
struct TSummaryNodeData {
  std::string Name;
  TPathText Location;  // shared with the folder it names, or with the file's other entries
  std::uint64_t Size = 0;
  std::int32_t ImageIndex = 0;
  std::uint64_t LastAccess = 0;
};

using TSummaryTree = TNodeTree<TSummaryNodeData>;

}  // namespace Vellumetric
