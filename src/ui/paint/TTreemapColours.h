#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <vector>

#include "model/TFileExtDescData.h"

namespace Vellumetric {

// One colour per file-type group, grey for files in no group and a darker grey for blocks of
// files too small to show one by one; and the legend that names them.
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

  [[nodiscard]] QRgb ForGroup(std::int32_t group) const noexcept {
    return group >= 0 && static_cast<std::size_t>(group) < ByGroup.size()
               ? ByGroup[static_cast<std::size_t>(group)]
               : OtherColour;
  }
  [[nodiscard]] QRgb Other() const noexcept { return OtherColour; }
  [[nodiscard]] QRgb Block() const noexcept { return BlockColour; }
  [[nodiscard]] const std::vector<TLegendEntry>& Legend() const noexcept { return Entries; }

  // The n-th distinct colour: a hand-picked dozen, then hues spread by the golden angle.
  [[nodiscard]] static QRgb Distinct(std::size_t n);

 private:
  std::vector<QRgb> ByGroup;
  QRgb OtherColour;
  QRgb BlockColour;
  std::vector<TLegendEntry> Entries;
};

}  // namespace Vellumetric
