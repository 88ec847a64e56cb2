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

// Everything the listing hands out of the name in `slot`, its text appended to `text`; the index
// may then give the name back.
void TNtfsDirectoryLister::Take(std::uint32_t slot, TTaken& out, std::string& text) {
  const TNtfsVolumeIndex::TEntry& e = Index->Entry(Index->At(slot));
  const TNtfsVolumeIndex::TFile& file = Index->File(e.Record);
  const std::string_view shown = ShownNtfsName(Index->Name(e), Mended);
  // The pool numbers names with 32 bits and keeps them under 64 KiB each, so these fit.
  out.NameAt = static_cast<std::uint32_t>(text.size());
  out.NameLength = static_cast<std::uint16_t>(shown.size());
  text.append(shown);
  out.Record = e.Record;
  out.IsDirectory = file.Kind == TNtfsVolumeIndex::KindFolder;
  out.Size = file.Size;
  out.DiskSize = file.DiskBytes;
  out.LastAccess = file.LastAccess;
  out.LastChange = file.LastWrite;
  out.DiskFlags = DiskFlagsOf(file.Attributes);
  out.NameCount = file.NameCount;
  out.Children = out.IsDirectory ? Index->ChildSlots(e.Record) : TNtfsVolumeIndex::TSlots{};
  Index->Listed(slot);  // `e` and `file` may be gone from here on
}

// The scan lists the root once to count its folders, then walks it.
void TNtfsDirectoryLister::TakeRoot() {
  RootTaken = true;
  RootFound = Index->IsFolder(TNtfsVolumeIndex::RootRecord);
  if (!RootFound) return;
  RootDisk = Index->File(TNtfsVolumeIndex::RootRecord).DiskBytes;
  const TNtfsVolumeIndex::TSlots names = Index->ChildSlots(TNtfsVolumeIndex::RootRecord);
  Root.resize(names.End - names.First);
  for (std::uint32_t slot = names.First; slot < names.End; ++slot) {
    Take(slot, Root[slot - names.First], RootNames);
  }
}

bool TNtfsDirectoryLister::EnterRoot(std::string_view, bool) {
  Frames.clear();
  if (!RootTaken) TakeRoot();
  // Not the index's word: the root's own record may have been given back with its names.
  if (BelowRootListed || !RootFound) return false;
  Frames.push_back({0, static_cast<std::uint32_t>(Root.size())});
  return true;
}

bool TNtfsDirectoryLister::EnterChild(std::string_view, std::string_view) {
  if (Frames.empty() || !LastIsFolder) return false;
  Frames.push_back({LastChildren.First, LastChildren.End});
  LastIsFolder = false;
  BelowRootListed = true;
  return true;
}

void TNtfsDirectoryLister::Hand(const TTaken& taken, std::string_view text, TDirEntry& entry) {
  entry = TDirEntry{};
  entry.Name = text.substr(taken.NameAt, taken.NameLength);
  entry.IsDirectory = taken.IsDirectory;
  entry.Size = taken.Size;
  entry.LastAccess = taken.LastAccess;
  entry.LastChange = taken.LastChange;
  entry.DiskSize = taken.DiskSize;
  entry.DiskFlags = taken.DiskFlags;
  // The table knows every name of a file, so the first name met already knows it has others;
  // only those files need telling apart, by their record number.
  if (taken.NameCount > 1 && !taken.IsDirectory) {
    entry.Identity = {Volume, taken.Record, taken.NameCount, true};
  }
  Last = taken.Record;
  LastIsFolder = taken.IsDirectory;
  LastChildren = taken.Children;
}

bool TNtfsDirectoryLister::Next(TDirEntry& entry) {
  if (Frames.empty()) return false;
  TFrame& frame = Frames.back();
  if (frame.Pos >= frame.End) return false;
  if (Frames.size() == 1) {
    Hand(Root[frame.Pos++], RootNames, entry);
    return true;
  }
  NameText.clear();
  Take(frame.Pos++, Current, NameText);
  Hand(Current, NameText, entry);
  return true;
}

std::uint64_t TNtfsDirectoryLister::RootDiskSize() const {
  if (RootTaken) return RootDisk;
  return Index->IsFolder(TNtfsVolumeIndex::RootRecord)
             ? Index->File(TNtfsVolumeIndex::RootRecord).DiskBytes
             : 0;
}

void TNtfsDirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

bool TNtfsDirectoryLister::HasMore() const {
  return !Frames.empty() && Frames.back().Pos < Frames.back().End;
}

}  // namespace Vellumetric
