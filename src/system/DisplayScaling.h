#pragma once

#include <optional>

namespace Vellumetric {

// The screen's horizontal resolution, or 96 when the screen cannot be asked.
[[nodiscard]] constexpr int ScreenDpiOrDefault(std::optional<int> measured) noexcept {
  return measured.has_value() ? *measured : 96;
}

// Above 100 pixels per inch the large toolbar images are used; 100 itself is still normal.
[[nodiscard]] constexpr bool IsLargeResolution(int dpi) noexcept {
  return dpi > 100;
}

// A length laid out at `designDpi` as it is shown on a `screenDpi` screen.
[[nodiscard]] constexpr int ScaleToScreen(int length, int screenDpi, int designDpi) noexcept {
  // Rounded to the nearest pixel, as form scaling does.
  return designDpi > 0 ? (length * screenDpi + designDpi / 2) / designDpi : length;
}

}  // namespace Vellumetric
