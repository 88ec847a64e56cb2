#include <gtest/gtest.h>

#include "system/WindowPlacement.h"

namespace Vellumetric {
namespace {

// Two screens side by side, the second one to the left of the first and lower.
const std::vector<TScreenRect> kScreens{{0, 0, 1920, 1050}, {-1280, 200, 1280, 1024}};

TEST(WindowPlacement, AWindowComesBackWhereItWasWhileItsScreenIsThere) {
  EXPECT_EQ(PlaceSavedWindow({100, 80, 1255, 830}, kScreens), (TScreenRect{100, 80, 1255, 830}));
  EXPECT_EQ(PlaceSavedWindow({-1200, 300, 800, 600}, kScreens),
            (TScreenRect{-1200, 300, 800, 600}));
  // Larger than its screen now: fitted, and moved in where it reached beyond.
  EXPECT_EQ(PlaceSavedWindow({-200, 500, 2500, 900}, {{0, 0, 1920, 1050}}),
            (TScreenRect{0, 150, 1920, 900}));
  EXPECT_EQ(PlaceSavedWindow({-1500, 250, 1000, 2000}, kScreens),
            (TScreenRect{-1280, 200, 1000, 1024}));
}

TEST(WindowPlacement, AWindowWhoseScreenIsGoneTakesItsDefaultPlace) {
  // It was on the left screen, which is unplugged now.
  EXPECT_EQ(PlaceSavedWindow({-1200, 300, 800, 600}, {{0, 0, 1920, 1050}}), std::nullopt);
  // Its top edge's middle is off every screen, though a corner still shows.
  EXPECT_EQ(PlaceSavedWindow({1500, 100, 1200, 700}, {{0, 0, 1920, 1050}}), std::nullopt);
  EXPECT_EQ(PlaceSavedWindow({100, 1100, 400, 300}, kScreens), std::nullopt);
  EXPECT_EQ(PlaceSavedWindow({100, 100, 0, 600}, kScreens), std::nullopt);
  EXPECT_EQ(PlaceSavedWindow({100, 100, 800, -5}, kScreens), std::nullopt);
  EXPECT_EQ(PlaceSavedWindow({100, 100, 800, 600}, {}), std::nullopt);
  EXPECT_EQ(PlaceSavedWindow({2147483000, 0, 2147483000, 600}, kScreens), std::nullopt);
}

}  // namespace
}  // namespace Vellumetric
