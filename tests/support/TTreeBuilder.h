#pragma once

#include <string>

namespace Vellumetric::Testing {

// Makes `depth` nested folders named `name` below `parent`, one level at a time through
// descriptors, so the chain can grow far past PATH_MAX. A file of `fileSize` bytes goes into
// every level. Returns false when the file system refuses.
bool MakeNestedChain(const std::string& parent, const std::string& name, int depth,
                     unsigned long long fileSize);

// The scan's totals for a root, taken from the tools the user would trust.
struct TDiskTruth {
  unsigned long long Size = 0;     // du --apparent-size -b -l -x -s, minus the root's own size
  unsigned long long Entries = 0;  // find -xdev -mindepth 1
};
TDiskTruth MeasureWithDuAndFind(const std::string& root);

}  // namespace Vellumetric::Testing
