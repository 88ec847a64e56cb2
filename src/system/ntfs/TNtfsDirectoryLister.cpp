#include "system/ntfs/TNtfsDirectoryLister.h"

#include "model/TFileDisk.h"

namespace Vellumetric {
namespace {

// UTF-16 to UTF-8; a lone surrogate (legal in an NTFS name) becomes U+FFFD, as Windows' own
// conversion makes it.
void AppendUtf8(std::u16string_view name, std::string& out) {
  // Most names are ASCII: one byte each, written in place.
  out.resize(name.size());
  std::size_t ascii = 0;
  while (ascii < name.size() && name[ascii] < 0x80) {
    out[ascii] = static_cast<char>(name[ascii]);
    ++ascii;
  }
  out.resize(ascii);
  for (std::size_t i = ascii; i < name.size(); ++i) {
    std::uint32_t c = name[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
        name[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

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
  AppendUtf8(Index->Name(e), NameText);
  Last = e.Record;
  entry = TDirEntry{};
  entry.Name = NameText;
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
