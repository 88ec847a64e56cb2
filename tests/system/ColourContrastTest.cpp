#include <gtest/gtest.h>

#include <vector>

#include "system/ColourContrast.h"

namespace Vellumetric {
namespace {

constexpr TRgb kBlack{0, 0, 0};
constexpr TRgb kWhite{255, 255, 255};

TEST(ColourContrast, RatiosAgreeWithTheWcagReferenceValues) {
  EXPECT_DOUBLE_EQ(ContrastRatio(kBlack, kWhite), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio({12, 34, 56}, {12, 34, 56}), 1.0);
  // #767676 is the lightest grey that passes on white, #777777 the first that fails.
  EXPECT_NEAR(ContrastRatio({0x76, 0x76, 0x76}, kWhite), 4.54, 0.01);
  EXPECT_LT(ContrastRatio({0x77, 0x77, 0x77}, kWhite), ReadableTextContrast);
  EXPECT_NEAR(RelativeLuminance({255, 0, 0}), 0.2126, 1e-9);
  EXPECT_NEAR(ContrastRatio({0, 0, 255}, kWhite), 8.59, 0.01);
  EXPECT_TRUE(IsLightColour({239, 239, 239}));  // a light window colour
  EXPECT_TRUE(IsLightColour(kWhite));
  EXPECT_FALSE(IsLightColour({53, 53, 53}));  // a dark one
  EXPECT_FALSE(IsLightColour(kBlack));
  EXPECT_EQ(MixColour({200, 100, 0}, kBlack, 0.5), (TRgb{100, 50, 0}));
  EXPECT_EQ(MixColour({200, 100, 0}, kWhite, 2.0), kWhite);
}

// The share bar's gradient ends, with the text colours of light, dark and high-contrast schemes
// and a few awkward ones: after the mix every end is readable, and the mix is the least that
// does it, so a scheme whose text is already readable keeps the bar as it is.
TEST(ColourContrast, MixMakesTextReadableOnEveryColourOfAGradientAndNoMore) {
  const std::vector<TRgb> bar{{199, 236, 136}, {199, 236, 254}};
  const std::vector<TRgb> texts{kBlack,          kWhite,         {238, 238, 236},
                                {255, 255, 0},   {26, 235, 255}, {118, 118, 118},
                                {128, 128, 128}, {200, 60, 60},  {0, 0, 160}};
  for (const TRgb text : texts) {
    TRgb towards{1, 2, 3};
    const double t = MixForReadableText(bar, text, towards);
    SCOPED_TRACE(testing::Message() << int(text.R) << "," << int(text.G) << "," << int(text.B));
    for (const TRgb end : bar) {
      if (t == 0.0) {
        EXPECT_EQ(towards, (TRgb{1, 2, 3}));
        EXPECT_GE(ContrastRatio(end, text), ReadableTextContrast);
        continue;
      }
      EXPECT_TRUE(towards == kBlack || towards == kWhite);
      EXPECT_GE(ContrastRatio(MixColour(end, towards, t), text), ReadableTextContrast);
    }
    if (t > 0.0) {
      const double less = t - 1.0 / 256;
      bool allReadable = true;
      for (const TRgb end : bar) {
        allReadable = allReadable &&
                      ContrastRatio(MixColour(end, towards, less), text) >= ReadableTextContrast;
      }
      EXPECT_FALSE(allReadable);
    }
  }
  TRgb towards;
  EXPECT_EQ(MixForReadableText(bar, kBlack, towards), 0.0);
  EXPECT_GT(MixForReadableText(bar, kWhite, towards), 0.0);
  EXPECT_EQ(towards, kBlack);  // white text: the bar darkens
}

}  // namespace
}  // namespace Vellumetric
