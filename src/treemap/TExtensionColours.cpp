#include "treemap/TExtensionColours.h"

#include <algorithm>
#include <unordered_map>

namespace Vellumetric {
// Found by a search over the sRGB cube for the colours farthest (CIEDE2000) from the group
// colours, the greys and each other under all four kinds of vision; CIELAB lightness kept
// between 40 and 82 and chroma above 30, so no tile is near black, white or grey. The most
// distinct come first, for the extensions with the most bytes.
const std::array<std::uint32_t, TExtensionColours::MaxColoured> TExtensionColours::Palette = {
    0xddbbff, 0xddcc77, 0xbb99ff, 0xaa3377, 0x556611, 0xee99cc,
    0x7711ff, 0x77ddaa, 0xcc8877, 0xcc0011, 0xff5599, 0xaa88cc};

TExtensionColours::TExtensionColours(const TFileRecordStore& files, TPathStyle style)
    : Style(style) {
  struct TTally {
    std::uint64_t Bytes = 0;
    std::uint64_t Files = 0;
  };
  std::unordered_map<std::string, TTally> tallies;
  std::string key;
  for (std::size_t i = 0; i < files.Count(); ++i) {
    const auto id = static_cast<TFileId>(i);
    if (files.Removed(id)) continue;
    const std::uint64_t size = files.Record(id).Size;
    Total += size;
    if (files.Group(id) != TFileRecordStore::NoGroup) continue;
    const std::string_view extension = VersionedExtension(style, files.Name(id));
    if (extension.size() < 2) continue;  // no extension, or a name ending in a dot
    key.assign(extension);
    FoldAsciiCase(key);
    TTally& t = tallies[key];
    t.Bytes += size;
    ++t.Files;
  }
  for (auto& [extension, tally] : tallies) {
    if (tally.Bytes == 0) continue;  // no area on the map: no colour needed
    Top.push_back({extension, tally.Bytes, tally.Files, 0, 0});
  }
  const auto larger = [](const TExtensionShare& a, const TExtensionShare& b) {
    return a.Bytes != b.Bytes ? a.Bytes > b.Bytes : a.Extension < b.Extension;
  };
  const std::size_t kept = std::min(Top.size(), MaxColoured);
  std::partial_sort(Top.begin(), Top.begin() + static_cast<std::ptrdiff_t>(kept), Top.end(),
                    larger);
  Top.resize(kept);
  for (std::size_t i = 0; i < Top.size(); ++i) {
    Top[i].Share = static_cast<double>(Top[i].Bytes) / static_cast<double>(Total);
    Top[i].Colour = Palette[i];
  }
}

int TExtensionColours::IndexOf(const TFileRecordStore& files, TFileId id) const {
  if (Top.empty() || files.Group(id) != TFileRecordStore::NoGroup) return -1;
  return IndexOfName(files.Name(id));
}

int TExtensionColours::IndexOfName(std::string_view name) const {
  const std::string_view extension = VersionedExtension(Style, name);
  for (std::size_t i = 0; i < Top.size(); ++i) {
    if (EqualsIgnoreAsciiCase(extension, Top[i].Extension)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace Vellumetric
