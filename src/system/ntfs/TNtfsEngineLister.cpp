#include "system/ntfs/TNtfsEngineLister.h"

#include "system/ntfs/TNtfsDirectoryLister.h"

namespace Vellumetric {

TNtfsEngineLister::TNtfsEngineLister(TScanEngineChoice choice, TOpener open,
                                     std::unique_ptr<TDirectoryLister> fallback, TPathStyle style,
                                     std::shared_ptr<TScanEngineReport> report,
                                     TNtfsMftReader::TProgress progress)
    : Choice(choice),
      Open(std::move(open)),
      Fallback(std::move(fallback)),
      PathStyle(style),
      Report(std::move(report)),
      Progress(std::move(progress)) {}

void TNtfsEngineLister::Choose(std::string_view root) {
  Chosen = true;
  std::string reason;
  if (Choice != TScanEngineChoice::Listing) {
    std::unique_ptr<TNtfsByteSource> source = Open(root, reason);
    if (source) {
      auto index = std::make_shared<TNtfsVolumeIndex>();
      TNtfsMftReader reader(*source);
      if (reader.Load(*index, Progress)) {
        Report->UsedMft = true;
        Report->MftRecords = index->RecordCount();
        Report->MftExtents = reader.MftRuns().size();
        Report->DamagedRecords = index->DamagedRecords();
        Report->IndexBytes = index->MemoryBytes();
        Mft = std::make_unique<TNtfsDirectoryLister>(std::move(index), PathStyle,
                                                     reader.Boot().Serial);
        Active = Mft.get();
        if (OnChosen) OnChosen(*Report);
        return;
      }
      reason = reader.Reason();
    }
    Report->FallbackReason = reason;
  }
  if (Choice != TScanEngineChoice::Mft) Active = Fallback.get();
  if (OnChosen) OnChosen(*Report);
}

bool TNtfsEngineLister::ListsByFullPath() const {
  // Asked before any root is entered: the listing's answer holds for both.
  return Fallback && Fallback->ListsByFullPath();
}

bool TNtfsEngineLister::EnterRoot(std::string_view path, bool stayOnRootVolume) {
  if (!Chosen) Choose(path);
  return Active && Active->EnterRoot(path, stayOnRootVolume);
}

bool TNtfsEngineLister::EnterChild(std::string_view name, std::string_view fullPath) {
  return Active && Active->EnterChild(name, fullPath);
}

bool TNtfsEngineLister::Next(TDirEntry& entry) {
  return Active && Active->Next(entry);
}

void TNtfsEngineLister::Leave() {
  if (Active) Active->Leave();
}

std::uint64_t TNtfsEngineLister::RootDiskSize() const {
  return Active ? Active->RootDiskSize() : 0;
}

std::int32_t TNtfsEngineLister::LastError() const {
  return Active ? Active->LastError() : 0;
}

std::unique_ptr<TDirectoryLister> TNtfsEngineLister::CloneEmpty(std::size_t budget) const {
  return Active == Fallback.get() && Active ? Active->CloneEmpty(budget) : nullptr;
}

bool TNtfsEngineLister::HandOff(std::string_view name, std::string_view fullPath,
                                TDirectoryLister& other) {
  return Active == Fallback.get() && Active && Active->HandOff(name, fullPath, other);
}

bool TNtfsEngineLister::HasMore() const {
  return Active && Active->HasMore();
}

}  // namespace Vellumetric
