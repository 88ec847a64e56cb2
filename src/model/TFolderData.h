#pragma once

#include <cstdint>
#include <string_view>

#include "model/TNodeTree.h"
#include "model/TPathText.h"

namespace Vellumetric {

enum : std::int32_t { FolderKindFolder = 0, FolderKindDrive = 2 };

// One node of the folder tree. Totals cover every depth below the node; `Complete` says they are
// final, `ParentComplete` that the parent's are too (so a share of the parent may be shown).
struct TFolderData {
  // Ordered so that no padding is left between the fields: a big scan holds a few hundred
  // thousand of these.
  // The folder's name is the leaf of its path (a scan root's last component, or the whole root
  // for a drive), so it costs nothing beside the path.
  TPathText Path;
  std::uint64_t Size = 0;
  std::int32_t Kind = FolderKindFolder;
  std::uint32_t FolderCount = 0;
  std::uint32_t FileCount = 0;
  // The system's error code when the folder could not be opened or listed to its end (its
  // totals then cover only what was read), else 0. SystemErrorText() turns it into words.
  std::int32_t ReadError = 0;
  // Folders below this one (not counting itself) whose ReadError is set.
  std::uint32_t UnreadableBelow = 0;
  bool Complete = false;
  bool ParentComplete = false;

  [[nodiscard]] std::string_view Name() const noexcept { return Path.Leaf(); }
};

using TFolderTree = TNodeTree<TFolderData>;

}  // namespace Vellumetric
