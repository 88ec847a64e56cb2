#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/TFolderData.h"

namespace Vellumetric {

// One folder of a stored scan. Folders are kept in pre-order, so a parent always comes before
// its children and the root is entry 0 with no parent. Its name is in the snapshot's Names, from
// NameStart up to where the next folder's name starts: one string for the whole tree instead of
// one per folder, as a scan of a large disk has a hundred thousand folders or more.
struct TSnapshotFolder {
  std::uint32_t Parent = NoNode;  // index into the snapshot's folders; NoNode for the root
  std::uint32_t NameStart = 0;
  std::uint32_t Files = 0;
  std::uint32_t Folders = 0;
  std::uint64_t Size = 0;
};

// What the history keeps of one finished scan: an independent copy of the folder totals, so the
// scan's own tree can be reused or sorted while the copy is written on another thread.
struct TScanSnapshot {
  std::int64_t Id = 0;  // set when read back from the history
  std::string Root;     // absolute, as NormalizeScanRoot makes it
  std::int32_t Mode = FolderKindFolder;
  std::int64_t Started = 0;   // seconds since 1970 (UTC)
  std::int64_t Finished = 0;  // seconds since 1970 (UTC)
  std::uint64_t Size = 0;
  std::uint32_t Files = 0;
  std::uint32_t FolderCount = 0;
  std::optional<std::uint32_t> Unreadable;  // folders the walk could not list, when it counts them
  std::vector<TSnapshotFolder> Folders;     // empty in a listing of scans; added by AddFolder
  std::string Names;                        // the folders' names, one after the other

  // Appends a folder. Names are found by where the next one starts, so folders are only ever
  // added here, in order (a tree's names stay far below the 4 GiB a start can reach).
  void AddFolder(std::uint32_t parent, std::string_view name, std::uint64_t size,
                 std::uint32_t files, std::uint32_t folders);
  [[nodiscard]] std::string_view Name(std::size_t folder) const noexcept {
    const std::size_t end =
        folder + 1 < Folders.size() ? Folders[folder + 1].NameStart : Names.size();
    return std::string_view(Names).substr(Folders[folder].NameStart,
                                          end - Folders[folder].NameStart);
  }
};

// Copies the folder totals below the first top-level node of `tree`. `root` is the scanned
// path as given; it is made absolute for the history. `nodes`, when given, receives the tree
// node of each snapshot folder, so a window can find a compared folder in its tree again.
[[nodiscard]] TScanSnapshot MakeScanSnapshot(const TFolderTree& tree, const std::string& root,
                                             bool asDrive, std::int64_t started,
                                             std::int64_t finished,
                                             std::vector<TNodeId>* nodes = nullptr);

// `scan` without its folders: what a listing of scans holds, for a fraction of the memory.
[[nodiscard]] TScanSnapshot ScanHeader(const TScanSnapshot& scan);

// Now, in the form the history stores times.
[[nodiscard]] std::int64_t SecondsSinceEpoch();

// The form a root is stored and looked up in: absolute, symbolic links resolved when the folder
// exists, no trailing separator (except for the file-system root itself).
[[nodiscard]] std::string NormalizeScanRoot(const std::string& path);

}  // namespace Vellumetric
