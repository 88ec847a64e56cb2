#pragma once

#include <cstdint>
#include <span>

namespace Vellumetric {

// An opaque colour in 8-bit sRGB.
struct TRgb {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  friend constexpr bool operator==(TRgb, TRgb) = default;
};

// What normal-size text needs against its background to be readable by most people with low
// vision (the WCAG level AA ratio).
inline constexpr double ReadableTextContrast = 4.5;

// The colour's relative luminance after WCAG 2: linear-light sRGB weighted by the eye's
// sensitivity, 0 for black to 1 for white.
[[nodiscard]] double RelativeLuminance(TRgb colour);

// (L1 + 0.05) / (L2 + 0.05) with L1 the lighter of the two: 1 for equal colours, 21 for black on
// white. Symmetric.
[[nodiscard]] double ContrastRatio(TRgb a, TRgb b);

// A light colour scheme: its window or base colour is closer to white than to black. Such a
// scheme is drawn with the program's own fixed colours; a dark one takes the scheme's colours.
[[nodiscard]] bool IsLightColour(TRgb colour);

// `from` moved the share `t` (0 to 1) of the way to `to`, each channel rounded.
[[nodiscard]] TRgb MixColour(TRgb from, TRgb to, double t);

// How far the colours `backgrounds` (a gradient, say) must all be moved towards black or towards
// white, whichever gives `text` more room, so that `text` drawn on any of them keeps at least
// `minimum` contrast: 0 when they already do. One share for all keeps a gradient a gradient.
// `towards` receives the colour to mix with (unchanged when the answer is 0).
[[nodiscard]] double MixForReadableText(std::span<const TRgb> backgrounds, TRgb text, TRgb& towards,
                                        double minimum = ReadableTextContrast);

}  // namespace Vellumetric
