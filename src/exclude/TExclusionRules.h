#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exclude/TExclusionRule.h"
#include "find/TGlobPattern.h"
#include "system/PathRules.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// The enabled rules of a list, ready to be checked against folders. Const and shared by every
// listing thread of a scan.
class TExclusionRules {
 public:
  TExclusionRules(const TExclusionRuleList& rules, TPathStyle style);

  [[nodiscard]] bool Empty() const noexcept { return Rules.empty(); }
  // Whether a check needs the folder's full path: path rules do, and marker rules when the
  // listing cannot look into the folders it lists; name rules alone do not, and the walk then
  // saves spelling paths out.
  [[nodiscard]] bool NeedsPath(bool markersFromListing) const noexcept {
    return HasPathRules || (HasMarkerRules && !markersFromListing);
  }

  // The index (in the list given) of the first rule that leaves the folder `name` at `path`
  // out, or -1. Marker rules ask `listing` (which has just returned the folder) when it can
  // tell, and otherwise look on disk by `path`.
  [[nodiscard]] int Match(std::string_view name, std::string_view path,
                          TDirectoryLister* listing = nullptr) const;
  [[nodiscard]] bool Excludes(std::string_view name, std::string_view path,
                              TDirectoryLister* listing = nullptr) const {
    return Match(name, path, listing) >= 0;
  }

 private:
  struct TCompiled {
    TExclusionRule::TKind Kind;
    int Index;
    TGlobPattern Glob;
    std::string Marker;
    bool Anchored;  // a path rule that starts at a root is matched against the whole path
    // A path rule whose last part is plain text: a folder of another name cannot match, which
    // spares the glob's pass over every tail of every folder's path.
    std::optional<TGlobPattern> LastPart;
  };

  [[nodiscard]] bool PathMatches(const TCompiled& rule, std::string_view path) const;
  [[nodiscard]] bool HasMarker(const TCompiled& rule, std::string_view name, std::string_view path,
                               TDirectoryLister* listing) const;

  TPathStyle Style;
  std::vector<TCompiled> Rules;
  bool HasPathRules = false;
  bool HasMarkerRules = false;
};

// Whether the file at `path` starts with the CACHEDIR.TAG signature.
[[nodiscard]] bool IsCacheDirTag(const std::string& path);

}  // namespace Vellumetric
