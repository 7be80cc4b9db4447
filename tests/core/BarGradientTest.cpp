// The bar's gradient colours and the faded separator lines, against values
// worked out by hand with truncating division.

#include <gtest/gtest.h>

#include "ui/core/BarGradient.h"

namespace {

using ui::GradientDirection;
using ui::MakeRgb;
using ui::RgbColour;

TEST(BarGradient, ColoursInAllDirections) {
  const RgbColour black = MakeRgb(0, 0, 0), warm = MakeRgb(255, 100, 10), white = MakeRgb(255, 255, 255);
  struct Case {
    GradientDirection direction;
    RgbColour start, end;
    int x, y, width, height;
    RgbColour expected;
  };
  const Case cases[] = {
      {GradientDirection::Horizontal, black, warm, 0, 5, 4, 9, black},
      {GradientDirection::Horizontal, black, warm, 1, 5, 4, 9, MakeRgb(63, 25, 2)},
      {GradientDirection::Horizontal, black, warm, 3, 0, 4, 9, MakeRgb(191, 75, 7)},
      // Falling channels truncate towards zero: 255 - 63, not 255 - 64.
      {GradientDirection::Horizontal, white, black, 1, 0, 4, 1, MakeRgb(192, 192, 192)},
      {GradientDirection::Vertical, black, warm, 7, 1, 9, 4, MakeRgb(63, 25, 2)},
      {GradientDirection::Vertical, white, black, 0, 3, 1, 4, MakeRgb(64, 64, 64)},
      // v = (1/2 + 1/4) * 512 = 384; 384 * 255 / 1024 = 95.6.
      {GradientDirection::DiagonalLeftRight, black, white, 1, 1, 4, 2, MakeRgb(95, 95, 95)},
      // Mirrored column 2: v = 512.
      {GradientDirection::DiagonalRightLeft, black, white, 1, 1, 4, 2, MakeRgb(127, 127, 127)},
      // 1/3 + 2/3 is exactly one: v = 512, not 511.
      {GradientDirection::DiagonalLeftRight, black, MakeRgb(0, 0, 4), 2, 1, 3, 3, MakeRgb(0, 0, 2)},
      {GradientDirection::DiagonalRightLeft, black, white, 3, 0, 4, 2, black},
      {GradientDirection::Vertical, warm, warm, 0, 3, 1, 4, warm},  // equal colours: a flat fill
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::GradientColour(c.direction, c.start, c.end, c.x, c.y, c.width, c.height))
        << static_cast<int>(c.direction) << " at " << c.x << "," << c.y;
}

TEST(BarGradient, WordsAreBlueGreenRedZeroAndRowsRepeat) {
  const auto words = ui::GradientWords(GradientDirection::Horizontal, MakeRgb(255, 0, 0), MakeRgb(0, 0, 255), 2, 3);
  ASSERT_EQ(6u, words.size());
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(0x00FF0000u, words[row * 2]) << row;
    EXPECT_EQ(0x0080007Fu, words[row * 2 + 1]) << row;
  }
  const auto vertical = ui::GradientWords(GradientDirection::Vertical, MakeRgb(0, 0, 0), MakeRgb(0, 200, 0), 3, 2);
  EXPECT_EQ((std::vector<std::uint32_t>{0, 0, 0, 0x6400, 0x6400, 0x6400}), vertical);
  const auto flat = ui::GradientWords(GradientDirection::DiagonalLeftRight, MakeRgb(1, 2, 3), MakeRgb(1, 2, 3), 2, 2);
  EXPECT_EQ((std::vector<std::uint32_t>(4, 0x00010203u)), flat);
  EXPECT_TRUE(ui::GradientWords(GradientDirection::Vertical, 0, 1, 0, 5).empty());
  EXPECT_TRUE(ui::GradientWords(GradientDirection::Vertical, 0, 1, 5, -1).empty());
}

TEST(BarGradient, FadedLineRuns) {
  using ui::FadeRun;
  struct Case {
    int a, b;
    bool gap;
    int gapLeft, gapRight;
    FadeRun left, right;
  };
  const Case cases[] = {
      {10, 110, false, 0, 0, {10, 59, 10}, {60, 110, 110}},
      {10, 110, true, 40, 80, {10, 39, 10}, {80, 110, 110}},
      {10, 110, true, 70, 90, {10, 59, 10}, {90, 110, 110}},  // gap right of the middle
      {10, 110, true, 20, 50, {10, 19, 10}, {60, 110, 110}},  // gap left of it
      {0, 5, false, 0, 0, {0, 1, 0}, {2, 5, 5}},
      {-5, 0, false, 0, 0, {-5, -4, -5}, {-3, 0, 0}},
  };
  for (const auto& c : cases) {
    const ui::FadeRuns runs = ui::FadedLineRuns(c.a, c.b, c.gap, c.gapLeft, c.gapRight);
    EXPECT_EQ(c.left, runs.Left) << c.a << ".." << c.b;
    EXPECT_EQ(c.right, runs.Right) << c.a << ".." << c.b;
  }
}

TEST(BarGradient, FadedPixels) {
  const RgbColour white = MakeRgb(255, 255, 255), black = MakeRgb(0, 0, 0);
  const struct {
    int distance;
    RgbColour expected;
  } cases[] = {{0, white}, {16, MakeRgb(128, 128, 128)}, {31, MakeRgb(8, 8, 8)}, {32, black}, {500, black}};
  for (const auto& c : cases) EXPECT_EQ(c.expected, ui::FadedPixel(white, black, c.distance, 32)) << c.distance;
  EXPECT_EQ(black, ui::FadedPixel(white, black, 0, 0)) << "no fade width: the line colour";
  EXPECT_EQ(MakeRgb(100, 60, 20), ui::FadedPixel(MakeRgb(100, 50, 0), MakeRgb(100, 150, 200), 1, 10));
}

}  // namespace
