#pragma once

#include <functional>
#include <string>
#include <vector>

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
  unsigned long long Disk = 0;     // du -B1 -x -s: allocated, the root's own blocks included
};
TDiskTruth MeasureWithDuAndFind(const std::string& root);

// A regular file as the platform's own tools list it.
struct TFileFact {
  std::string Path;  // in the platform's form, as the program shows it
  std::string Name;
  unsigned long long Size = 0;
};
// The regular files below `root`, sorted by path. Linux asks GNU find in the C locale, with
// `findTests` (such as "-iname '*.so'") added; Windows has no find, so there a std::filesystem
// walk lists them and `keep`, which must ask what `findTests` asks, picks among them.
std::vector<TFileFact> FindRegularFiles(const std::string& root, const std::string& findTests = "",
                                        const std::function<bool(const TFileFact&)>& keep = {});

}  // namespace Vellumetric::Testing
