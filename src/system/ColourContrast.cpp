#include "system/ColourContrast.h"

#include <algorithm>
#include <cmath>

namespace Vellumetric {
namespace {

double Linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

bool AllReadable(std::span<const TRgb> backgrounds, TRgb text, TRgb towards, double t,
                 double minimum) {
  return std::all_of(backgrounds.begin(), backgrounds.end(), [&](TRgb b) {
    return ContrastRatio(MixColour(b, towards, t), text) >= minimum;
  });
}

}  // namespace

double RelativeLuminance(TRgb colour) {
  return 0.2126 * Linear(colour.R) + 0.7152 * Linear(colour.G) + 0.0722 * Linear(colour.B);
}

double ContrastRatio(TRgb a, TRgb b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsLightColour(TRgb colour) {
  // The luminance at which black and white text contrast equally with the colour.
  return RelativeLuminance(colour) > 0.179;
}

TRgb MixColour(TRgb from, TRgb to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const auto mix = [t](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
  };
  return {mix(from.R, to.R), mix(from.G, to.G), mix(from.B, to.B)};
}

double MixForReadableText(std::span<const TRgb> backgrounds, TRgb text, TRgb& towards,
                          double minimum) {
  if (AllReadable(backgrounds, text, text, 0.0, minimum)) return 0.0;
  constexpr TRgb kBlack{0, 0, 0};
  constexpr TRgb kWhite{255, 255, 255};
  towards = ContrastRatio(text, kBlack) >= ContrastRatio(text, kWhite) ? kBlack : kWhite;
  // Stepped rather than bisected: on the way a background may pass the text's own luminance,
  // where the contrast first falls before it rises.
  constexpr int kSteps = 256;
  for (int step = 1; step < kSteps; ++step) {
    const double t = static_cast<double>(step) / kSteps;
    if (AllReadable(backgrounds, text, towards, t, minimum)) return t;
  }
  return 1.0;
}

}  // namespace Vellumetric
