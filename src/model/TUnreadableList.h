#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vellumetric {

// What a scan could not see: folders it could not open or list, and entries it could not
// measure, each with the system's reason. The counts are exact; only the first `Keep` paths are
// kept, so a disk with millions of refused entries still costs a bounded amount of memory.
class TUnreadableList {
 public:
  struct TItem {
    std::string Path;
    std::string Reason;
    bool IsFolder = true;
  };
  static constexpr std::size_t Keep = 1000;

  void Clear() {
    Items.clear();
    FolderTotal = 0;
    FileTotal = 0;
  }
  void AddFolder(std::string path, std::string reason) {
    ++FolderTotal;
    Add(std::move(path), std::move(reason), true);
  }
  void AddFile(std::string path, std::string reason) {
    ++FileTotal;
    Add(std::move(path), std::move(reason), false);
  }
  // Whether one more item would still be kept: lets a caller skip spelling out a path that
  // would be dropped.
  // Drops what lies below `folder` (a folder about to be scanned again), from the counts too as
  // far as it was kept; `separator` is what joins a child to it.
  void ForgetBelow(std::string_view folder, std::string_view separator) {
    std::erase_if(Items, [&](const TItem& item) {
      const bool below = item.Path.size() > folder.size() &&
                         std::string_view(item.Path).substr(0, folder.size()) == folder &&
                         std::string_view(item.Path).substr(folder.size()).starts_with(separator);
      if (below) --(item.IsFolder ? FolderTotal : FileTotal);
      return below;
    });
  }
  // Takes over what another list kept (the scan of one folder again).
  void Absorb(const TUnreadableList& other) {
    for (const TItem& item : other.Items) {
      if (Items.size() < Keep) Items.push_back(item);
    }
    FolderTotal += other.FolderTotal;
    FileTotal += other.FileTotal;
  }
  [[nodiscard]] bool KeepsMore() const noexcept { return Items.size() < Keep; }

  [[nodiscard]] std::uint64_t Folders() const noexcept { return FolderTotal; }
  [[nodiscard]] std::uint64_t Files() const noexcept { return FileTotal; }
  // Folders and files in the order the scan met them.
  [[nodiscard]] const std::vector<TItem>& Kept() const noexcept { return Items; }

 private:
  void Add(std::string path, std::string reason, bool folder) {
    if (Items.size() < Keep) Items.push_back({std::move(path), std::move(reason), folder});
  }

  std::vector<TItem> Items;
  std::uint64_t FolderTotal = 0;
  std::uint64_t FileTotal = 0;
};

}  // namespace Vellumetric
