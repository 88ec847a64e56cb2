#pragma once

#include <cstdint>
#include <string_view>

#include "model/TMeasure.h"
#include "model/TNodeTree.h"
#include "model/TPathText.h"

namespace Vellumetric {

enum : std::int32_t { FolderKindFolder = 0, FolderKindDrive = 2 };

// One node of the folder tree. Totals cover every depth below the node; `Complete` says they are
// final, `ParentComplete` that the parent's are too (so a share of the parent may be shown).
struct TFolderData {
  // Ordered and packed to 40 bytes: a big scan holds a few hundred thousand of these, and every
  // word here costs that many times over.
  // The folder's name is the leaf of its path (a scan root's last component, or the whole root
  // for a drive), so it costs nothing beside the path.
  TPathText Path;
  std::uint64_t Size = 0;
  // The bytes allocated below the folder, its own blocks and its subfolders' included (as du
  // counts them); a file with several names counts once, at the name the walk met first.
  std::uint64_t DiskSize = 0;
  std::uint32_t FolderCount = 0;
  std::uint32_t FileCount = 0;
  // The system's error code when the folder could not be opened or listed to its end (its
  // totals then cover only what was read), else 0. SystemErrorText() turns it into words.
  std::int32_t ReadError = 0;
  // Folders below this one (not counting itself) whose ReadError is set. 28 bits count 268
  // million, far more than any scan meets; the flags share its word. All four have one type, so
  // every compiler's bit-field layout (MinGW's too) packs them into one word.
  std::uint32_t UnreadableBelow : 28 = 0;
  std::uint32_t Kind : 2 = FolderKindFolder;  // FolderKindFolder or FolderKindDrive
  std::uint32_t Complete : 1 = 0;
  std::uint32_t ParentComplete : 1 = 0;

  [[nodiscard]] std::string_view Name() const noexcept { return Path.Leaf(); }
  [[nodiscard]] std::uint64_t Bytes(TMeasure measure) const noexcept {
    return measure == TMeasure::Disk ? DiskSize : Size;
  }
};

static_assert(sizeof(TFolderData) == 40);

using TFolderTree = TNodeTree<TFolderData>;

}  // namespace Vellumetric
