#pragma once

#include <optional>
#include <vector>

namespace Vellumetric {

// A rectangle on the desktop, in the window system's coordinates.
struct TScreenRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  friend constexpr bool operator==(const TScreenRect&, const TScreenRect&) = default;
};

// Where a window last seen at `saved` opens now, given the screens' available areas. The window
// comes back where it was when the middle of its top edge (where the user grabs it) lies on one of
// the screens; it is made to fit that screen and moved inside it where it reached beyond. When no
// screen holds that point (the screen was unplugged, the desktop shrank) or the saved size is not
// a size at all, there is no answer and the window takes its default place.
[[nodiscard]] std::optional<TScreenRect> PlaceSavedWindow(const TScreenRect& saved,
                                                          const std::vector<TScreenRect>& screens);

}  // namespace Vellumetric
