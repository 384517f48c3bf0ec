#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarvello {
namespace {

Settings Remembered(int height, int width, int top, int left) {
  Settings settings;
  settings.height = height;
  settings.width = width;
  settings.top = top;
  settings.left = left;
  return settings;
}

WindowGeometry Screen(int width, int height, int left = 0, int top = 0) {
  return {left, top, width, height};
}

void ExpectGeometry(const WindowGeometry& actual, int left, int top, int width, int height) {
  EXPECT_EQ(actual.left, left);
  EXPECT_EQ(actual.top, top);
  EXPECT_EQ(actual.width, width);
  EXPECT_EQ(actual.height, height);
}

TEST(PlaceWindowTest, FirstStartIsTwoThirdsOfTheScreenCentred) {
  Settings settings;
  SetDefaultWindowSize(1024, 768, settings);
  EXPECT_EQ(settings.width, 682);
  EXPECT_EQ(settings.height, 512);
  ExpectGeometry(PlaceWindow(settings, Screen(1024, 768)), 171, 128, 682, 512);
}

TEST(PlaceWindowTest, DefaultSizeDividesByThreeBeforeDoubling) {
  Settings settings;
  SetDefaultWindowSize(1001, 1000, settings);
  EXPECT_EQ(settings.width, 666);  // not 2002 / 3 = 667
  EXPECT_EQ(settings.height, 666);
}

TEST(PlaceWindowTest, SizeIsLimitedToTheScreenButPlaceIsNot) {
  ExpectGeometry(PlaceWindow(Remembered(2000, 3000, 5000, -300), Screen(1024, 768)), -300, 5000,
                 1024, 768);
  // Small and negative sizes stand.
  ExpectGeometry(PlaceWindow(Remembered(-5, 0, 1, 2), Screen(1024, 768)), 2, 1, 0, -5);
}

TEST(PlaceWindowTest, CentringMarkerCentresEachSideOnItsOwn) {
  // 769 - 512 = 257: the half pixel is dropped.
  ExpectGeometry(PlaceWindow(Remembered(512, 600, kCentreMarker, 10), Screen(1000, 769)), 10, 128,
                 600, 512);
  ExpectGeometry(PlaceWindow(Remembered(512, 601, 7, kCentreMarker), Screen(1000, 769)), 199, 7,
                 601, 512);
  // A height limited to the screen centres at 0.
  ExpectGeometry(PlaceWindow(Remembered(5000, 100, kCentreMarker, -9998), Screen(1024, 768)), -9998,
                 0, 100, 768);
}

TEST(PlaceWindowTest, CentresWithinTheAvailableAreaOfAScreenWithPanels) {
  // A 32-pixel panel at the top and a 40-pixel one at the left of a 1024 x 768 screen.
  Settings settings;
  SetDefaultWindowSize(984, 736, settings);
  ExpectGeometry(PlaceWindow(settings, Screen(984, 736, 40, 32)), 40 + 164, 32 + 123, 656, 490);
  // A remembered place stands; a size beyond the area is limited to it.
  ExpectGeometry(PlaceWindow(Remembered(900, 600, 3, kCentreMarker), Screen(984, 736, 40, 32)),
                 40 + 192, 3, 600, 736);
}

TEST(PlaceWindowTest, ExtremeRememberedSizesCentreWithoutOverflow) {
  const WindowGeometry geometry =
      PlaceWindow(Remembered(INT_MIN, INT_MIN, kCentreMarker, kCentreMarker), Screen(1024, 768));
  EXPECT_EQ(geometry.top, 1073742208);   // (768 + 2^31) / 2
  EXPECT_EQ(geometry.left, 1073742336);  // (1024 + 2^31) / 2
  EXPECT_EQ(geometry.height, INT_MIN);
}

TEST(LayOutMainWindowTest, ControlsFollowTheClientArea) {
  const MainLayout layout = LayOutMainWindow(300, 649);
  EXPECT_EQ(layout.list_width, 649);
  EXPECT_EQ(layout.list_height, 221);
  EXPECT_EQ(layout.drives_top, 253);
  EXPECT_EQ(layout.label_top, 258);
  EXPECT_EQ(layout.out_dir_top, 258);
  EXPECT_EQ(layout.status_top, 277);
  EXPECT_EQ(layout.status_width, 649);
  EXPECT_EQ(layout.panel_widths[0], 286);  // 285.56
  EXPECT_EQ(layout.panel_widths[1], 363);
}

TEST(LayOutMainWindowTest, TinyWindowGivesNegativeFiguresUnclamped) {
  const MainLayout layout = LayOutMainWindow(10, 0);
  EXPECT_EQ(layout.list_width, 0);
  EXPECT_EQ(layout.list_height, -69);
  EXPECT_EQ(layout.status_top, -13);
  EXPECT_EQ(layout.panel_widths[0], 0);
  EXPECT_EQ(layout.panel_widths[1], 0);
}

TEST(LayOutMainWindowTest, FirstPanelIsTheNearestIntegerTo44Percent) {
  // 0.44 is not exact in binary; compare with exact integer arithmetic. 11 W / 25 never
  // ends in exactly one half, so plain rounding of the exact value is the answer.
  for (int width = 0; width <= 10000; ++width) {
    const MainLayout layout = LayOutMainWindow(500, width);
    const int exact = (44 * width + 50) / 100;
    ASSERT_EQ(layout.panel_widths[0], exact) << "width " << width;
    ASSERT_EQ(layout.panel_widths[0] + layout.panel_widths[1], width) << "width " << width;
  }
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(2.5001), 3);
  EXPECT_EQ(RoundHalfEven(-2.5001), -3);
  EXPECT_EQ(RoundHalfEven(7.0), 7);
}

}  // namespace
}  // namespace tarvello
