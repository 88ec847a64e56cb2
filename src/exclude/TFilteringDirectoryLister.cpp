#include "exclude/TFilteringDirectoryLister.h"

#include <utility>

namespace Vellumetric {

TFilteringDirectoryLister::TFilteringDirectoryLister(std::unique_ptr<TDirectoryLister> inner,
                                                     std::shared_ptr<const TExclusionRules> rules)
    : Inner(std::move(inner)), Rules(std::move(rules)), TrackPaths(Rules->NeedsPath()) {}

void TFilteringDirectoryLister::Push(std::string path) {
  if (!TrackPaths) return;
  Lengths.push_back(Path.size());
  Path = std::move(path);
}

std::string TFilteringDirectoryLister::ChildOf(std::string_view name) const {
  if (!TrackPaths) return {};
  std::string child = Path;
  child += ChildSeparator(Inner->Style(), Path.empty() ? '\0' : Path.back());
  child += name;
  return child;
}

bool TFilteringDirectoryLister::EnterRoot(std::string_view path, bool stayOnRootVolume) {
  if (!Inner->EnterRoot(path, stayOnRootVolume)) return false;
  Lengths.clear();
  Path.clear();
  Push(std::string(path));
  return true;
}

bool TFilteringDirectoryLister::EnterChild(std::string_view name, std::string_view fullPath) {
  std::string child = ChildOf(name);  // before the inner lister moves on and `name` goes stale
  if (!Inner->EnterChild(name, fullPath)) return false;
  Push(std::move(child));
  return true;
}

bool TFilteringDirectoryLister::Next(TDirEntry& entry) {
  if (!Inner->Next(entry)) return false;
  entry.Excluded = entry.IsDirectory && entry.Name != "." && entry.Name != ".." &&
                   Rules->Excludes(entry.Name, ChildOf(entry.Name));
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
  std::string child = ChildOf(name);
  if (!Inner->HandOff(name, fullPath, *clone.Inner)) return false;
  clone.Lengths.clear();
  clone.Path.clear();
  clone.Push(std::move(child));
  return true;
}

}  // namespace Vellumetric
