#pragma once

#include <cstdint>
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
};

}  // namespace Vellumetric
