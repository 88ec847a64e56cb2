#include "exclude/TFilteringDirectoryLister.h"

#include <utility>

namespace Vellumetric {

TFilteringDirectoryLister::TFilteringDirectoryLister(std::unique_ptr<TDirectoryLister> inner,
                                                     std::shared_ptr<const TExclusionRules> rules)
    : Inner(std::move(inner)),
      Rules(std::move(rules)),
      TrackPaths(Rules->NeedsPath(Inner->LooksIntoListedFolders())) {}

std::string_view TFilteringDirectoryLister::ChildOf(std::string_view name) {
  if (!TrackPaths) return {};
  Scratch.assign(Path);
  Scratch += ChildSeparator(Inner->Style(), Path.empty() ? '\0' : Path.back());
  Scratch += name;
  return Scratch;
}

bool TFilteringDirectoryLister::EnterRoot(std::string_view path, bool stayOnRootVolume) {
  if (!Inner->EnterRoot(path, stayOnRootVolume)) return false;
  Lengths.clear();
  if (TrackPaths) Path.assign(path);
  return true;
}

// The child's name is appended before the inner lister moves on, as `name` may then go stale.
bool TFilteringDirectoryLister::EnterChild(std::string_view name, std::string_view fullPath) {
  const std::size_t before = Path.size();
  if (TrackPaths) {
    Path += ChildSeparator(Inner->Style(), Path.empty() ? '\0' : Path.back());
    Path += name;
  }
  if (!Inner->EnterChild(name, fullPath)) {
    Path.resize(before);
    return false;
  }
  if (TrackPaths) Lengths.push_back(before);
  return true;
}

bool TFilteringDirectoryLister::Next(TDirEntry& entry) {
  if (!Inner->Next(entry)) return false;
  entry.Excluded = entry.IsDirectory && entry.Name != "." && entry.Name != ".." &&
                   Rules->Excludes(entry.Name, ChildOf(entry.Name), Inner.get());
  return true;
}

void TFilteringDirectoryLister::Leave() {
  Inner->Leave();
  if (!TrackPaths || Lengths.empty()) return;
  Path.resize(Lengths.back());
  Lengths.pop_back();
}

std::unique_ptr<TDirectoryLister> TFilteringDirectoryLister::CloneEmpty(
    std::size_t descriptorBudget) const {
  auto inner = Inner->CloneEmpty(descriptorBudget);
  if (!inner) return nullptr;
  return std::make_unique<TFilteringDirectoryLister>(std::move(inner), Rules);
}

// `other` is always a clone made by CloneEmpty above.
bool TFilteringDirectoryLister::HandOff(std::string_view name, std::string_view fullPath,
                                        TDirectoryLister& other) {
  auto& clone = static_cast<TFilteringDirectoryLister&>(other);
  std::string child(ChildOf(name));
  if (!Inner->HandOff(name, fullPath, *clone.Inner)) return false;
  clone.Lengths.clear();
  if (clone.TrackPaths) clone.Path = std::move(child);
  return true;
}

}  // namespace Vellumetric
