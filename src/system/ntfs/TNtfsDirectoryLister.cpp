#include "system/ntfs/TNtfsDirectoryLister.h"

#include "model/TFileDisk.h"
#include "system/ntfs/NtfsNameText.h"

namespace Vellumetric {
namespace {

std::uint8_t DiskFlagsOf(std::uint32_t attributes) {
  std::uint8_t flags = 0;
  if (attributes & kNtfsAttrSparse) flags |= DiskSparse;
  if (attributes & kNtfsAttrCompressed) flags |= DiskCompressed;
  // Cloud files that are only a placeholder here: opening one would download it.
  if (attributes & (kNtfsAttrOffline | kNtfsAttrRecallOnOpen | kNtfsAttrRecallOnDataAccess)) {
    flags |= DiskOnlineOnly;
  }
  return flags;
}

}  // namespace

bool TNtfsDirectoryLister::EnterRoot(std::string_view, bool) {
  Frames.clear();
  if (!Index->IsFolder(TNtfsVolumeIndex::RootRecord)) return false;
  Frames.push_back({TNtfsVolumeIndex::RootRecord, 0});
  return true;
}

bool TNtfsDirectoryLister::EnterChild(std::string_view, std::string_view) {
  if (Frames.empty() || !Index->IsFolder(Last)) return false;
  Frames.push_back({Last, 0});
  return true;
}

bool TNtfsDirectoryLister::Next(TDirEntry& entry) {
  if (Frames.empty()) return false;
  TFrame& frame = Frames.back();
  const auto children = Index->Children(frame.Folder);
  if (frame.Pos >= children.size()) return false;
  const TNtfsVolumeIndex::TEntry& e = Index->Entry(children[frame.Pos++]);
  const TNtfsVolumeIndex::TFile& file = Index->File(e.Record);
  Last = e.Record;
  entry = TDirEntry{};
  entry.Name = ShownNtfsName(Index->Name(e), NameText);
  entry.IsDirectory = file.Kind == TNtfsVolumeIndex::KindFolder;
  entry.Size = file.Size;
  entry.LastAccess = file.LastAccess;
  entry.LastChange = file.LastWrite;
  entry.DiskSize = file.DiskBytes;
  entry.DiskFlags = DiskFlagsOf(file.Attributes);
  // The table knows every name of a file, so the first name met already knows it has others;
  // only those files need telling apart, by their record number.
  if (file.NameCount > 1 && !entry.IsDirectory) {
    entry.Identity = {Volume, e.Record, file.NameCount, true};
  }
  return true;
}

std::uint64_t TNtfsDirectoryLister::RootDiskSize() const {
  return Index->IsFolder(TNtfsVolumeIndex::RootRecord)
             ? Index->File(TNtfsVolumeIndex::RootRecord).DiskBytes
             : 0;
}

void TNtfsDirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

bool TNtfsDirectoryLister::HasMore() const {
  return !Frames.empty() && Frames.back().Pos < Index->Children(Frames.back().Folder).size();
}

}  // namespace Vellumetric
