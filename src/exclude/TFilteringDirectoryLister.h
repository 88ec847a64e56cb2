#pragma once

#include <memory>
#include <string>
#include <vector>

#include "exclude/TExclusionRules.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// Puts the exclusion rules between a scan and its back end: every folder entry it passes on
// carries Excluded when a rule leaves it out, and the caller then does not enter it. The check
// happens where the entry is listed, so the parallel walk's workers (which list through clones
// of this lister) skip an excluded folder too instead of reading it ahead.
class TFilteringDirectoryLister final : public TDirectoryLister {
 public:
  TFilteringDirectoryLister(std::unique_ptr<TDirectoryLister> inner,
                            std::shared_ptr<const TExclusionRules> rules);

  [[nodiscard]] TPathStyle Style() const override { return Inner->Style(); }
  [[nodiscard]] bool ListsByFullPath() const override { return Inner->ListsByFullPath(); }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Inner->LastError(); }
  [[nodiscard]] std::uint64_t RootDiskSize() const override { return Inner->RootDiskSize(); }
  [[nodiscard]] std::unique_ptr<TDirectoryLister> CloneEmpty(
      std::size_t descriptorBudget) const override;
  [[nodiscard]] bool HandOff(std::string_view name, std::string_view fullPath,
                             TDirectoryLister& other) override;
  [[nodiscard]] bool HasMore() const override { return Inner->HasMore(); }

 private:
  // The path of `name` in the folder being listed, in a buffer kept between calls (no
  // allocation per folder); valid until the next call.
  [[nodiscard]] std::string_view ChildOf(std::string_view name);

  std::unique_ptr<TDirectoryLister> Inner;
  std::shared_ptr<const TExclusionRules> Rules;
  bool TrackPaths;
  // The open folders' paths, one text with where each level starts, when rules need paths.
  std::string Path;
  std::vector<std::size_t> Lengths;  // Path's length before each folder entered was appended
  std::string Scratch;
};

}  // namespace Vellumetric
