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
// The lister serves one volume: any root path opens the volume's root folder. It serves one walk:
// each name is given back to the system once listed (the index's memory then shrinks as the scan's
// tree grows). The root's own names are copied out first, so the root may be listed again, but
// once the walk has gone below it, the root is no longer entered.
class TNtfsDirectoryLister final : public TDirectoryLister {
 public:
  // `volume` tells this volume's files apart from another's in the scan's hard-link registry
  // (the volume's serial number).
  TNtfsDirectoryLister(std::shared_ptr<TNtfsVolumeIndex> index, TPathStyle style,
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
  // A folder's names as slots: taken when the folder's own name is listed, since the index may
  // give back where they are kept once that name is. The root's are positions in `Root`.
  struct TFrame {
    std::uint32_t Pos;
    std::uint32_t End;
  };
  // A name as listed, its text kept elsewhere: compact, since a root may hold millions.
  struct TTaken {
    std::uint64_t Size = 0;
    std::uint64_t DiskSize = 0;
    std::uint64_t LastAccess = 0;
    std::uint64_t LastChange = 0;
    std::uint32_t NameAt = 0;
    std::uint32_t Record = 0;
    TNtfsVolumeIndex::TSlots Children;
    std::uint16_t NameLength = 0;
    std::uint8_t NameCount = 0;
    std::uint8_t DiskFlags = 0;
    bool IsDirectory = false;
  };

  void Take(std::uint32_t slot, TTaken& out, std::string& text);
  void TakeRoot();
  void Hand(const TTaken& taken, std::string_view text, TDirEntry& entry);

  std::shared_ptr<TNtfsVolumeIndex> Index;
  TPathStyle PathStyle;
  std::uint64_t Volume;
  std::vector<TFrame> Frames;
  std::uint32_t Last = 0;
  bool LastIsFolder = false;
  TNtfsVolumeIndex::TSlots LastChildren;
  bool RootTaken = false;
  bool RootFound = false;
  bool BelowRootListed = false;
  std::vector<TTaken> Root;
  std::string RootNames;
  std::uint64_t RootDisk = 0;
  TTaken Current;
  std::string NameText;  // the name handed out last: its text in the index may be given back
  std::string Mended;
};

}  // namespace Vellumetric
