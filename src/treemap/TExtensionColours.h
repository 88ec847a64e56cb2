#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/TFileRecordStore.h"
#include "system/PathRules.h"

namespace Vellumetric {

// One extension that gets a colour of its own on the map.
struct TExtensionShare {
  std::string Extension;  // with its dot, ASCII letters in lower case (".so")
  std::uint64_t Bytes = 0;
  std::uint64_t Files = 0;
  double Share = 0;          // of all the scan's file bytes, 0..1
  std::uint32_t Colour = 0;  // 0xRRGGBB, from ExtensionPalette
};

// Colours for the files that belong to no group: on most real trees they hold most of the bytes
// (shared libraries, sources, files without an extension) and would leave the map grey. The
// extensions of those files with the most bytes (at most MaxColoured; files without an extension
// have none and stay grey) each get one of the palette's colours, largest first, equal byte
// counts by name, so the same scan always gets the same colours. Version numbers do not count as
// extensions (VersionedExtension): "libc.so.6" is coloured as a ".so".
class TExtensionColours {
 public:
  static constexpr std::size_t MaxColoured = 12;
  // Twelve colours picked to stay apart from the group colours, the greys and each other, also as
  // people with protanopia, deuteranopia or tritanopia see them (bench/map-colours checks this),
  // and to stand out on light and dark backgrounds alike.
  static const std::array<std::uint32_t, MaxColoured> Palette;

  TExtensionColours() = default;
  TExtensionColours(const TFileRecordStore& files, TPathStyle style);

  // Largest first.
  [[nodiscard]] const std::vector<TExtensionShare>& Extensions() const noexcept { return Top; }
  // The index in Extensions() of the file's extension, or -1 when it has none of its own colour
  // (a file of a group, too few bytes, or no extension).
  [[nodiscard]] int IndexOf(const TFileRecordStore& files, TFileId id) const;
  [[nodiscard]] std::uint64_t TotalBytes() const noexcept { return Total; }

 private:
  [[nodiscard]] int IndexOfName(std::string_view name) const;

  std::vector<TExtensionShare> Top;
  std::uint64_t Total = 0;
  TPathStyle Style = TPathStyle::Posix;
};

}  // namespace Vellumetric
