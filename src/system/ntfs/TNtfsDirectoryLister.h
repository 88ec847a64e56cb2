#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/TDirectoryLister.h"
#include "system/ntfs/TNtfsVolumeIndex.h"

namespace Vellumetric {

// Lists folders out of a volume's MFT, already read into memory: the scan walk runs over it
// exactly as over the system's listing, so every total, the biggest files, the typed files and
// the progress come from the same code whichever engine read the volume. Each folder's names
// come in the order of the folder's own index, which is the order Windows and ntfs-3g list them.
//
// The lister serves one volume: any root path opens the volume's root folder.
class TNtfsDirectoryLister final : public TDirectoryLister {
 public:
  // `volume` tells this volume's files apart from another's in the scan's hard-link registry
  // (the volume's serial number).
  TNtfsDirectoryLister(std::shared_ptr<const TNtfsVolumeIndex> index, TPathStyle style,
                       std::uint64_t volume = 0)
      : Index(std::move(index)), PathStyle(style), Volume(volume) {}

  [[nodiscard]] TPathStyle Style() const override { return PathStyle; }
  [[nodiscard]] bool ListsByFullPath() const override { return false; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return 0; }
  // The root folder's own clusters: its index.
  [[nodiscard]] std::uint64_t RootDiskSize() const override;
  [[nodiscard]] bool HasMore() const override;

  // The MFT record of the entry Next returned last: the file's identity on the volume.
  [[nodiscard]] std::uint32_t LastRecord() const noexcept { return Last; }

 private:
  struct TFrame {
    std::uint32_t Folder;
    std::size_t Pos;
  };

  std::shared_ptr<const TNtfsVolumeIndex> Index;
  TPathStyle PathStyle;
  std::uint64_t Volume;
  std::vector<TFrame> Frames;
  std::uint32_t Last = 0;
  std::string NameText;  // the name handed out last, when it had to be mended
};

}  // namespace Vellumetric
