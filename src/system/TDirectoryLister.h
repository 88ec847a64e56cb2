#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "system/PathRules.h"
#include "system/TDirEntry.h"

namespace Vellumetric {

// Directory listing for the scan walk. Listings nest like the walk: EnterRoot or EnterChild opens
// a listing on top of the ones already open, Next reads the innermost one, Leave closes it. A
// child is always an entry that the innermost listing has just returned; a back end may open it
// relative to its parent (POSIX) or by its full path (Windows). Entries "." and ".." may be
// reported; the walk skips them.
class TDirectoryLister {
 public:
  virtual ~TDirectoryLister() = default;

  [[nodiscard]] virtual TPathStyle Style() const = 0;
  // Whether EnterChild needs the child's full path; when not, the walk passes an empty text and
  // saves spelling out every folder's path.
  [[nodiscard]] virtual bool ListsByFullPath() const = 0;

  // `stayOnRootVolume`: children on another volume than the root are not listed (a drive scan).
  // Returns false, with nothing opened, when the folder cannot be listed.
  [[nodiscard]] virtual bool EnterRoot(std::string_view path, bool stayOnRootVolume) = 0;
  [[nodiscard]] virtual bool EnterChild(std::string_view name, std::string_view fullPath) = 0;

  // False at the end of the listing, or when it fails part way.
  [[nodiscard]] virtual bool Next(TDirEntry& entry) = 0;
  virtual void Leave() = 0;

  // The system's error code of the last EnterRoot or EnterChild that failed, or, after Next
  // answered false, of the failure that ended that listing early; 0 when nothing failed or the
  // folder had merely vanished (or lies on a volume the scan does not enter).
  [[nodiscard]] virtual std::int32_t LastError() const = 0;

  // Whether a root may be listed twice: once to size the progress by its subfolders, then for
  // the walk. A lister that reads a stream once (an export file) says no, and the walk skips
  // the first listing.
  [[nodiscard]] virtual bool CanListTwice() const { return true; }

  // The bytes allocated to the folder the last successful EnterRoot opened (its own blocks,
  // which count in its On disk as du counts them); 0 where the system does not say.
  [[nodiscard]] virtual std::uint64_t RootDiskSize() const { return 0; }

  // Whether the folder `name` that Next has just returned holds an entry `file`; with a
  // `signature`, a file whose content starts with those bytes (a cache tag). A back end that
  // can answer reads the folder's names for it and lets EnterChild or HandOff use them, so a
  // marker rule costs the walk no look-up of its own. Empty where the back end cannot tell
  // (LooksIntoListedFolders is false); the caller then looks by the folder's path.
  [[nodiscard]] virtual std::optional<bool> ListedFolderHolds(std::string_view /*name*/,
                                                              std::string_view /*file*/,
                                                              std::string_view /*signature*/) {
    return std::nullopt;
  }
  [[nodiscard]] virtual bool LooksIntoListedFolders() const { return false; }

  // For a walk spread over several threads. A back end that cannot hand a folder to another
  // thread keeps these defaults, and the walk stays on one thread.
  //
  // A new lister of the same kind and with the same volume rule as this one (after EnterRoot),
  // with nothing open, holding at most `descriptorBudget` descriptors.
  [[nodiscard]] virtual std::unique_ptr<TDirectoryLister> CloneEmpty(
      std::size_t /*descriptorBudget*/) const {
    return nullptr;
  }
  // Opens the child `name` that Next has just returned, with the same outcome as EnterChild,
  // but as the root listing of `other` (made by CloneEmpty), which another thread may then read
  // on its own. This lister's listing stays where it was.
  [[nodiscard]] virtual bool HandOff(std::string_view /*name*/, std::string_view /*fullPath*/,
                                     TDirectoryLister& /*other*/) {
    return false;
  }
  // Whether the innermost listing may still return entries after the one returned last.
  [[nodiscard]] virtual bool HasMore() const { return false; }
};

}  // namespace Vellumetric
