// Sizes and places in the side-bar menu: items, content, pictures, the
// rotated caption, background tiles, and which items carry the bar.

#include <gtest/gtest.h>

#include "ui/core/BarGeometry.h"

namespace {

using ui::BarAlign;
using ui::BarMenuStyle;
using ui::ItemSize;
using ui::MenuPoint;
using ui::MenuRect;

TEST(BarGeometry, HalfEvenCentreRoundsTiesToEven) {
  // (n - 1) / 2: 2.5 -> 2, 3.5 -> 4, -0.5 -> 0, -1.5 -> -2.
  const int cases[][2] = {{6, 2}, {8, 4}, {7, 3}, {0, 0}, {-2, -2}, {1, 0}, {4, 2}, {-3, -2}, {5, 2}};
  for (const auto& c : cases) EXPECT_EQ(c[1], ui::HalfEvenCentre(c[0])) << c[0];
}

TEST(BarGeometry, EffectiveStyleFromXpOn) {
  struct Case {
    BarMenuStyle chosen;
    bool nt;
    int major, minor;
    BarMenuStyle expected;
  };
  const Case cases[] = {
      {BarMenuStyle::Auto, true, 5, 1, BarMenuStyle::WindowsXP},   // XP
      {BarMenuStyle::Auto, true, 5, 0, BarMenuStyle::Standard},    // 2000
      {BarMenuStyle::Auto, true, 6, 0, BarMenuStyle::WindowsXP},   // Vista
      {BarMenuStyle::Auto, true, 10, 0, BarMenuStyle::WindowsXP},  // 10
      {BarMenuStyle::Auto, true, 4, 0, BarMenuStyle::Standard},
      {BarMenuStyle::Auto, false, 4, 90, BarMenuStyle::Standard},  // Me
      {BarMenuStyle::Standard, true, 10, 0, BarMenuStyle::Standard},
      {BarMenuStyle::WindowsXP, false, 4, 10, BarMenuStyle::WindowsXP},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::EffectiveMenuStyle(c.chosen, c.nt, c.major, c.minor)) << c.major << "." << c.minor;
}

TEST(BarGeometry, Measuring) {
  // Separators: captioned only when enabled with a hint.
  const struct {
    bool enabled, hint, xp;
    int height;
  } separators[] = {{true, true, false, 14}, {true, true, true, 14}, {false, true, false, 12},
                    {false, true, true, 9},  {true, false, false, 12}, {true, false, true, 9}};
  for (const auto& s : separators)
    EXPECT_EQ(s.height, ui::SeparatorHeight(s.enabled, s.hint, s.xp)) << s.enabled << s.hint << s.xp;

  const struct {
    bool images, bitmap, xp;
    ItemSize in, out;
  } items[] = {
      {false, false, false, {50, 17}, {73, 17}},  // room for the check mark
      {true, false, false, {50, 17}, {50, 17}},
      {false, true, false, {50, 17}, {50, 17}},
      {false, false, true, {50, 17}, {75, 18}},  // even height, two wider
      {true, false, true, {50, 18}, {52, 18}},
  };
  for (const auto& i : items)
    EXPECT_EQ(i.out, ui::ItemSizeBeforeHooks(i.in, i.images, i.bitmap, i.xp)) << i.images << i.bitmap << i.xp;

  const struct {
    bool defaultMeasure, shortLine, bar;
    int width;
  } tails[] = {{true, false, false, 50}, {true, true, false, 60}, {false, true, false, 50},
               {true, false, true, 76},  {true, true, true, 86},  {false, true, true, 76}};
  for (const auto& t : tails)
    EXPECT_EQ((ItemSize{t.width, 20}), ui::ItemSizeAfterHooks({50, 20}, t.defaultMeasure, t.shortLine, t.bar, 25, 1))
        << t.defaultMeasure << t.shortLine << t.bar;
}

TEST(BarGeometry, ContentRectangleAndBarSlice) {
  const MenuRect r{0, 20, 120, 40};
  EXPECT_EQ((MenuRect{26, 20, 120, 40}), ui::ContentRect(r, true, 25, 1, true));
  EXPECT_EQ((MenuRect{0, 20, 94, 40}), ui::ContentRect(r, true, 25, 1, false));
  EXPECT_EQ(r, ui::ContentRect(r, false, 25, 1, true));
  EXPECT_EQ((MenuRect{0, 20, 25, 40}), ui::BarSlice(r, 25, true));
  EXPECT_EQ((MenuRect{95, 20, 120, 40}), ui::BarSlice(r, 25, false));
}

TEST(BarGeometry, AlignedPositions) {
  struct Case {
    BarAlign h, v;
    int barWidth;
    MenuPoint expected;
  };
  // A 24 x 24 picture in a bar 200 high, offsets (2, 3).
  const Case cases[] = {
      {BarAlign::Start, BarAlign::Start, 25, {2, 3}},
      {BarAlign::End, BarAlign::End, 25, {3, 179}},
      {BarAlign::Centre, BarAlign::Centre, 25, {2, 91}},
      {BarAlign::Centre, BarAlign::End, 20, {0, 179}},  // (20 - 24) / 2 truncates to -2, + 2
      {BarAlign::Centre, BarAlign::Centre, 19, {-0, 91}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::AlignedPosition(c.h, c.v, c.barWidth, 200, 2, 3, 24, 24)) << c.barWidth;
  EXPECT_EQ((MenuPoint{-2, -2}), ui::AlignedPosition(BarAlign::Centre, BarAlign::Centre, 20, 20, 0, 0, 25, 25))
      << "truncation towards zero, not down";
}

TEST(BarGeometry, CaptionPositionBothDirectionsAllAlignments) {
  // Bar 25 x 200, text 70 long and 19 high, OffsetY 6.
  struct Case {
    BarAlign alignment;
    bool upToDown;
    int pictureBelow;
    MenuPoint expected;
  };
  const Case cases[] = {
      {BarAlign::Start, false, 0, {2, 76}},
      {BarAlign::End, false, 0, {2, 194}},
      {BarAlign::End, false, 24, {2, 170}},  // above a bottom-aligned picture
      {BarAlign::Centre, false, 0, {2, 134}},
      {BarAlign::Start, true, 0, {22, 6}},
      {BarAlign::End, true, 24, {22, 100}},
      {BarAlign::Centre, true, 0, {22, 64}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::CaptionPosition(c.alignment, c.upToDown, 25, 200, 6, 70, 19, c.pictureBelow))
        << static_cast<int>(c.alignment) << c.upToDown;
  // Odd sums: (26 - 19 - 1) / 2 = 3 exactly; (201 + 70 - 1) / 2 = 135 exactly.
  EXPECT_EQ((MenuPoint{3, 135}), ui::CaptionPosition(BarAlign::Centre, false, 26, 201, 6, 70, 19, 0));
}

TEST(BarGeometry, TileOrigins) {
  struct Case {
    BarAlign alignment;
    int bitmap, picture, offset;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {BarAlign::Start, 25, 10, 0, {0, 10, 20}},
      {BarAlign::End, 25, 10, 0, {-5, 5, 15}},     // 25 mod 10 - 10
      {BarAlign::Centre, 25, 10, 0, {-2, 8, 18}},  // half of -5, truncated
      {BarAlign::Start, 25, 10, 7, {-3, 7, 17}},   // stepped back to 0 or less
      {BarAlign::Start, 25, 10, 20, {0, 10, 20}},
      {BarAlign::Start, 25, 10, -15, {-5, 5, 15}},
      {BarAlign::Start, 25, 10, -1000000, {0, 10, 20}},  // tiles wholly before the bitmap are skipped
      {BarAlign::Start, 25, 10, 2000000000, {0, 10, 20}},
      {BarAlign::End, 5, 10, 0, {-5}},
      {BarAlign::Start, 30, 10, 0, {0, 10, 20}},
      {BarAlign::Start, 25, 0, 0, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::TileOrigins(c.alignment, c.bitmap, c.picture, c.offset))
        << static_cast<int>(c.alignment) << " " << c.bitmap << " " << c.picture << " " << c.offset;
}

TEST(BarGeometry, WhichItemsCarryTheBar) {
  using S = ui::SiblingState;
  const std::vector<S> oneColumn{{true, false}, {true, false}, {true, false}};
  const std::vector<S> twoColumns{{true, false}, {true, true}, {true, false}};
  const std::vector<S> hiddenBreak{{true, false}, {false, true}, {true, false}};
  const std::vector<S> breakFirst{{true, true}, {true, false}};
  struct Case {
    bool barVisible, topLevel;
    const std::vector<S>* siblings;
    int index;
    bool expected;
  };
  const Case cases[] = {
      {true, true, &oneColumn, 2, true},    {false, true, &oneColumn, 0, false}, {true, false, &oneColumn, 0, false},
      {true, true, &twoColumns, 0, true},   {true, true, &twoColumns, 1, false}, {true, true, &twoColumns, 2, false},
      {true, true, &hiddenBreak, 2, true},  {true, true, &breakFirst, 0, false}, {true, true, &oneColumn, 3, false},
      {true, true, &oneColumn, -1, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::CarriesBar(c.barVisible, c.topLevel, *c.siblings, c.index))
        << c.barVisible << c.topLevel << " index " << c.index;
}

}  // namespace
