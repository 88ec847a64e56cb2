#include "ui/paint/TTreemapColours.h"

#include <cmath>

namespace Vellumetric {
namespace {

constexpr QRgb kOther = 0xffbdbdbd;
constexpr QRgb kBlock = 0xff8a8a8a;

}  // namespace

TTreemapColours::TTreemapColours() : OtherColour(kOther), BlockColour(kBlock) {
  Entries.push_back({OtherColour, QStringLiteral("Other files")});
  Entries.push_back({BlockColour, QStringLiteral("Small files together")});
}

TTreemapColours::TTreemapColours(const TFileExtDescList& groups) : TTreemapColours() {
  std::vector<TLegendEntry> named;
  std::size_t n = 0;
  for (const TFileExtDescData& g : groups) {
    if (g.ID < 0 || g.ID > 999) continue;  // no file can carry such an id
    const auto id = static_cast<std::size_t>(g.ID);
    if (id >= ByGroup.size()) ByGroup.resize(id + 1, OtherColour);
    ByGroup[id] = Distinct(n++);
    named.push_back({ByGroup[id], QString::fromStdString(g.Desc)});
  }
  named.insert(named.end(), Entries.begin(), Entries.end());
  Entries = std::move(named);
}

QRgb TTreemapColours::Distinct(std::size_t n) {
  // Saturated but not glaring, and far apart from each other and from the greys.
  static constexpr QRgb kFirst[] = {0xff3b7dd8, 0xffe0483e, 0xff43a047, 0xfff2a900,
                                    0xff8e44ad, 0xff00a5a8, 0xffe67e22, 0xffd81b60,
                                    0xff7cb342, 0xff5c6bc0, 0xff8d6e63, 0xff26c6da};
  constexpr std::size_t kCount = sizeof(kFirst) / sizeof(kFirst[0]);
  if (n < kCount) return kFirst[n];
  const double hue = std::fmod(static_cast<double>(n - kCount) * 137.507764 + 20.0, 360.0);
  return QColor::fromHsv(static_cast<int>(hue), 170 + static_cast<int>(n % 3) * 30, 210).rgb();
}

}  // namespace Vellumetric
