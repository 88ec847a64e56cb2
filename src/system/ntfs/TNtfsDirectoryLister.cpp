#include "system/ntfs/TNtfsDirectoryLister.h"

namespace Vellumetric {
namespace {

// UTF-16 to UTF-8; a lone surrogate (legal in an NTFS name) becomes U+FFFD, as Windows' own
// conversion makes it.
void AppendUtf8(std::u16string_view name, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < name.size(); ++i) {
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
  const TNtfsVolumeIndex::TEntry& e = children[frame.Pos++];
  const TNtfsVolumeIndex::TFile& file = Index->File(e.Record);
  AppendUtf8(Index->Name(e), NameText);
  Last = e.Record;
  entry = TDirEntry{};
  entry.Name = NameText;
  entry.IsDirectory = file.Kind == TNtfsVolumeIndex::KindFolder;
  entry.Size = file.Size;
  entry.LastAccess = file.LastAccess;
  return true;
}

void TNtfsDirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

bool TNtfsDirectoryLister::HasMore() const {
  return !Frames.empty() && Frames.back().Pos < Index->Children(Frames.back().Folder).size();
}

}  // namespace Vellumetric
