#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/TDirectoryLister.h"

namespace Vellumetric::Testing {

// An in-memory file system for the scan walk, addressed by full path in either path style, so
// the Windows rules ("C:" roots, "D:\\Data") can be exercised on any machine.
class TFakeDirectoryLister final : public TDirectoryLister {
 public:
  struct TEntry {
    std::string Name;
    bool IsDirectory;
    std::uint64_t Size;
    std::uint64_t LastAccess;
  };

  explicit TFakeDirectoryLister(TPathStyle style) : PathStyle(style) {}

  // Adds entries to the folder `path` (creating it).
  void Add(const std::string& path, std::vector<TEntry> entries) {
    auto& list = Folders[path];
    list.insert(list.end(), entries.begin(), entries.end());
  }
  std::set<std::string> Unlistable;                 // folders whose listing cannot start
  std::int32_t UnlistableError = 13;                // the error code they report
  std::function<void(const std::string&)> OnEnter;  // called with each folder entered
  std::vector<std::string> Entered;

  [[nodiscard]] TPathStyle Style() const override { return PathStyle; }
  [[nodiscard]] bool ListsByFullPath() const override { return true; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool) override {
    return Enter(std::string(path));
  }
  [[nodiscard]] bool EnterChild(std::string_view, std::string_view fullPath) override {
    return Enter(std::string(fullPath));
  }
  [[nodiscard]] bool Next(TDirEntry& entry) override {
    Error = 0;
    auto& top = Stack.back();
    if (top.second >= top.first->size()) return false;
    const TEntry& e = (*top.first)[top.second++];
    entry = TDirEntry{e.Name, e.IsDirectory, e.Size, e.LastAccess, 0, 0, 0, {}};
    return true;
  }
  void Leave() override { Stack.pop_back(); }
  [[nodiscard]] std::int32_t LastError() const override { return Error; }
  [[nodiscard]] std::size_t Depth() const { return Stack.size(); }

 private:
  bool Enter(const std::string& path) {
    if (OnEnter) OnEnter(path);
    Error = 0;
    const auto it = Folders.find(path);
    if (Unlistable.count(path)) Error = UnlistableError;
    if (it == Folders.end() || Unlistable.count(path)) return false;
    Entered.push_back(path);
    Stack.push_back({&it->second, 0});
    return true;
  }

  TPathStyle PathStyle;
  std::int32_t Error = 0;
  std::map<std::string, std::vector<TEntry>> Folders;
  std::vector<std::pair<const std::vector<TEntry>*, std::size_t>> Stack;
};

}  // namespace Vellumetric::Testing
