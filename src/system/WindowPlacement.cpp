#include "system/WindowPlacement.h"

#include <algorithm>

namespace Vellumetric {
namespace {

bool Contains(const TScreenRect& r, long long x, long long y) {
  return x >= r.X && y >= r.Y && x < static_cast<long long>(r.X) + r.Width &&
         y < static_cast<long long>(r.Y) + r.Height;
}

// The window's span along one axis kept inside the screen's: shrunk to fit, then moved in.
void Fit(int& start, int& length, int screenStart, int screenLength) {
  length = std::min(length, screenLength);
  start = std::clamp(start, screenStart, screenStart + screenLength - length);
}

}  // namespace

std::optional<TScreenRect> PlaceSavedWindow(const TScreenRect& saved,
                                            const std::vector<TScreenRect>& screens) {
  if (saved.Width <= 0 || saved.Height <= 0) return std::nullopt;
  const long long grabX = static_cast<long long>(saved.X) + saved.Width / 2;
  const long long grabY = saved.Y;
  for (const TScreenRect& screen : screens) {
    if (screen.Width <= 0 || screen.Height <= 0 || !Contains(screen, grabX, grabY)) continue;
    TScreenRect placed = saved;
    Fit(placed.X, placed.Width, screen.X, screen.Width);
    Fit(placed.Y, placed.Height, screen.Y, screen.Height);
    return placed;
  }
  return std::nullopt;
}

}  // namespace Vellumetric
