#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <vector>

#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "treemap/TExtensionColours.h"

namespace Vellumetric {

// One colour per file-type group; for files in no group the colour of their extension where the
// scan's extension colours gave it one, else grey; a darker grey for blocks of files too small to
// show one by one; and the legend that names them: groups, extensions with their share of the
// scan's bytes, then the greys.
class TTreemapColours {
 public:
  struct TLegendEntry {
    QRgb Colour;
    QString Text;
  };

  TTreemapColours();
  // Groups are coloured in the order of the list (as the group database lists them), so a group
  // keeps its colour from scan to scan.
  explicit TTreemapColours(const TFileExtDescList& groups);
  // With the colours `extensions` picked for the files in no group; their shares are written
  // with `decimalPoint` (the user's, read on the interface thread).
  TTreemapColours(const TFileExtDescList& groups, TExtensionColours extensions,
                  const QString& decimalPoint);

  [[nodiscard]] QRgb ForGroup(std::int32_t group) const noexcept {
    return group >= 0 && static_cast<std::size_t>(group) < ByGroup.size()
               ? ByGroup[static_cast<std::size_t>(group)]
               : OtherColour;
  }
  // A file's colour: its group's, else its extension's, else grey.
  [[nodiscard]] QRgb ForFile(const TFileRecordStore& files, TFileId id) const;
  [[nodiscard]] const TExtensionColours& Extensions() const noexcept { return ByExtension; }
  [[nodiscard]] QRgb Other() const noexcept { return OtherColour; }
  [[nodiscard]] QRgb Block() const noexcept { return BlockColour; }
  [[nodiscard]] const std::vector<TLegendEntry>& Legend() const noexcept { return Entries; }

  // The n-th distinct colour: a hand-picked dozen, then hues spread by the golden angle.
  [[nodiscard]] static QRgb Distinct(std::size_t n);

 private:
  std::vector<QRgb> ByGroup;
  TExtensionColours ByExtension;
  QRgb OtherColour;
  QRgb BlockColour;
  std::vector<TLegendEntry> Entries;
};

}  // namespace Vellumetric
