// Windows: the same helpers through std::filesystem, which walks the tree independently of the
// program's own lister (folders have no size of their own there).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "TTempDir.h"
#include "TTreeBuilder.h"

namespace Vellumetric::Testing {

namespace fs = std::filesystem;

bool MakeNestedChain(const std::string& parent, const std::string& name, int depth,
                     unsigned long long fileSize) {
  std::error_code ec;
  fs::path folder = fs::u8path(parent);
  for (int level = 0; level < depth; ++level) {
    folder /= fs::u8path(name);
    if (!fs::create_directory(folder, ec) || ec) return false;
    { std::ofstream file(folder / "level.dat", std::ios::binary); }
    fs::resize_file(folder / "level.dat", fileSize, ec);
    if (ec) return false;
  }
  return true;
}

TDiskTruth MeasureWithDuAndFind(const std::string& root) {
  TDiskTruth truth;
  for (const auto& entry : fs::recursive_directory_iterator(PathOf(root))) {
    ++truth.Entries;
    if (entry.is_regular_file()) truth.Size += entry.file_size();
  }
  return truth;
}

std::vector<TFileFact> FindRegularFiles(const std::string& root, const std::string&,
                                        const std::function<bool(const TFileFact&)>& keep) {
  std::vector<TFileFact> files;
  for (const auto& entry : fs::recursive_directory_iterator(PathOf(root))) {
    if (!entry.is_regular_file()) continue;
    const std::u8string path = entry.path().u8string(), name = entry.path().filename().u8string();
    TFileFact file{{path.begin(), path.end()}, {name.begin(), name.end()}, entry.file_size()};
    if (!keep || keep(file)) files.push_back(std::move(file));
  }
  std::sort(files.begin(), files.end(), [](auto& a, auto& b) { return a.Path < b.Path; });
  return files;
}

}  // namespace Vellumetric::Testing
