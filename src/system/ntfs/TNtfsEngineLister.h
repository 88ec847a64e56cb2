#pragma once

#include <functional>
#include <memory>
#include <string>

#include "system/TDirectoryLister.h"
#include "system/ntfs/TNtfsByteSource.h"
#include "system/ntfs/TNtfsMftReader.h"
#include "system/ntfs/TScanEngineReport.h"

namespace Vellumetric {

// The scan's lister when the MFT engine may run. At the first root it opens the volume and reads
// its MFT; from then on it lists out of memory. When the volume cannot be opened, is not NTFS or
// cannot be trusted, it says why in the report and, unless only the MFT was asked for, hands
// every call to the folder listing instead (so the walk may still spread over threads).
class TNtfsEngineLister final : public TDirectoryLister {
 public:
  using TOpener =
      std::function<std::unique_ptr<TNtfsByteSource>(std::string_view root, std::string& reason)>;

  TNtfsEngineLister(TScanEngineChoice choice, TOpener open,
                    std::unique_ptr<TDirectoryLister> fallback, TPathStyle style,
                    std::shared_ptr<TScanEngineReport> report,
                    TNtfsMftReader::TProgress progress = nullptr);

  // Called on the worker once the engine is chosen, with the report as it then is.
  std::function<void(const TScanEngineReport&)> OnChosen;

  [[nodiscard]] TPathStyle Style() const override { return PathStyle; }
  [[nodiscard]] bool ListsByFullPath() const override;
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override;
  [[nodiscard]] std::uint64_t RootDiskSize() const override;
  [[nodiscard]] std::unique_ptr<TDirectoryLister> CloneEmpty(
      std::size_t descriptorBudget) const override;
  [[nodiscard]] bool HandOff(std::string_view name, std::string_view fullPath,
                             TDirectoryLister& other) override;
  [[nodiscard]] bool HasMore() const override;

 private:
  void Choose(std::string_view root);

  TScanEngineChoice Choice;
  TOpener Open;
  std::unique_ptr<TDirectoryLister> Fallback;
  std::unique_ptr<TDirectoryLister> Mft;
  TDirectoryLister* Active = nullptr;  // after the first root: Mft, Fallback or none
  bool Chosen = false;
  TPathStyle PathStyle;
  std::shared_ptr<TScanEngineReport> Report;
  TNtfsMftReader::TProgress Progress;
};

}  // namespace Vellumetric
