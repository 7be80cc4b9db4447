// Where the spin edit puts its button and text, and how tall it must be.

#include <gtest/gtest.h>

#include "ui/core/SpinGeometry.h"

namespace {

using ui::SpinRect;

TEST(SpinGeometry, ButtonNeverNarrowerThan15) {
  const int cases[][2] = {{0, 15}, {1, 15}, {14, 15}, {15, 15}, {16, 16}, {20, 20}, {-5, 15}};
  for (const auto& c : cases) EXPECT_EQ(c[1], ui::SpinButtonWidth(c[0])) << c[0];
}

TEST(SpinGeometry, HalvesOverlapByOnePixel) {
  struct Case {
    int width, height;
    SpinRect up, down;
  };
  const Case cases[] = {
      {15, 17, {0, 0, 15, 8}, {0, 7, 15, 17}},
      {15, 16, {0, 0, 15, 8}, {0, 7, 15, 16}},
      {20, 25, {0, 0, 20, 12}, {0, 11, 20, 25}},
      {15, 1, {0, 0, 15, 0}, {0, -1, 15, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.up, ui::SpinUpButtonRect(c.width, c.height)) << c.width << "x" << c.height;
    EXPECT_EQ(c.down, ui::SpinDownButtonRect(c.width, c.height)) << c.width << "x" << c.height;
  }
}

TEST(SpinGeometry, FocusRectangleInsetAndPressedShift) {
  EXPECT_EQ((SpinRect{3, 3, 12, 5}), ui::SpinFocusRect(15, 8, false));
  EXPECT_EQ((SpinRect{4, 4, 13, 6}), ui::SpinFocusRect(15, 8, true));
}

TEST(SpinGeometry, ButtonPlaceInsideTheEdit) {
  struct Case {
    int width, height, button;
    bool newStyle;
    SpinRect expected;
  };
  const Case cases[] = {
      {121, 21, 15, true, {101, 0, 116, 16}},
      {50, 22, 15, true, {30, 0, 45, 17}},
      {50, 22, 20, true, {25, 0, 45, 17}},
      {121, 21, 15, false, {106, 1, 121, 19}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::SpinButtonPlace(c.width, c.height, c.button, c.newStyle))
        << c.width << "x" << c.height << " new style " << c.newStyle;
}

TEST(SpinGeometry, FormatRectStopsBeforeTheButton) {
  EXPECT_EQ((SpinRect{0, 0, 100, 18}), ui::SpinFormatRect(117, 17, 15));
  EXPECT_EQ((SpinRect{0, 0, 26, 19}), ui::SpinFormatRect(46, 18, 18));
}

TEST(SpinGeometry, MinimumAndAutoHeight) {
  struct Case {
    int systemFont, font, border, minHeight;
  };
  // min(system, font) / 4 + font + 4 * border + 2
  const Case cases[] = {
      {16, 13, 1, 3 + 13 + 4 + 2},
      {16, 24, 1, 4 + 24 + 4 + 2},
      {16, 13, 2, 3 + 13 + 8 + 2},
      {19, 3, 1, 0 + 3 + 4 + 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.minHeight, ui::SpinMinHeight(c.systemFont, c.font, c.border))
        << c.systemFont << "/" << c.font << "/" << c.border;
  EXPECT_EQ(21, ui::SpinAutoHeight(13, 1));
  EXPECT_EQ(29, ui::SpinAutoHeight(13, 2));
}

}  // namespace
