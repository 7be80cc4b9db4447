#pragma once
// The side-bar menu's arithmetic: item sizes, where the item's content and
// the bar go, where a picture and the rotated caption sit in the bar, which
// items carry the bar, and which menu style applies. All divisions truncate
// towards zero, as the drawing has always done, so the pixels stay where
// users have seen them.

#include <vector>

namespace ui {

struct MenuRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const MenuRect& o) const {
    return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
  }
};

struct MenuPoint {
  int X = 0, Y = 0;
  bool operator==(const MenuPoint& o) const { return X == o.X && Y == o.Y; }
};

// Alignment along one axis: left or top, right or bottom, centre.
enum class BarAlign { Start, End, Centre };

enum class BarMenuStyle { Auto, Standard, WindowsXP };

// Round-half-to-even of N / 2 - 0.5, which is how the caption and the
// separator text are centred.
int HalfEvenCentre(int n);

// The XP look from Windows XP (NT 5.1) on; Auto elsewhere means the
// classic look.
BarMenuStyle EffectiveMenuStyle(BarMenuStyle chosen, bool ntFamily, int major, int minor);

// Height of a separator: a captioned one (enabled, with a hint) is 14.
int SeparatorHeight(bool enabled, bool hasHint, bool xpStyle);

struct ItemSize {
  int Width = 0, Height = 0;
  bool operator==(const ItemSize& o) const { return Width == o.Width && Height == o.Height; }
};

// The size of a normal item before the measure hooks see it: room for a
// check mark when there is no picture, even heights in the XP style.
ItemSize ItemSizeBeforeHooks(ItemSize size, bool menuHasImages, bool itemHasBitmap, bool xpStyle);

// After the hooks: the short-line strip and the bar's width.
ItemSize ItemSizeAfterHooks(ItemSize size, bool defaultMeasure, bool shortLine, bool carriesBar,
                            int barWidth, int barSpace);

// Where an item's own painting goes inside its rectangle R.
MenuRect ContentRect(const MenuRect& item, bool carriesBar, int barWidth, int barSpace, bool barLeft);

// The columns of R that the bar occupies.
MenuRect BarSlice(const MenuRect& item, int barWidth, bool barLeft);

// A picture of W x H aligned in a bar of BarWidth x BarHeight.
MenuPoint AlignedPosition(BarAlign horizontal, BarAlign vertical, int barWidth, int barHeight,
                          int offsetX, int offsetY, int pictureWidth, int pictureHeight);

// The rotated caption's text origin. TextWidth and TextHeight are the
// unrotated extent; PictureBelow the height of a bottom-aligned picture
// (0 when there is none).
MenuPoint CaptionPosition(BarAlign alignment, bool upToDown, int barWidth, int barHeight, int offsetY,
                          int textWidth, int textHeight, int pictureBelow);

// Origins of background tiles along one axis: the first is at or before 0,
// the last one starts inside the bitmap.
std::vector<int> TileOrigins(BarAlign alignment, int bitmapSize, int pictureSize, int offset);

struct SiblingState {
  bool Visible = true;
  bool Break = false;  // starts a new column
};

// True when the item at Index of its parent is drawn beside the bar: the
// bar is shown, the item is at the menu's top level and it is in the first
// column.
bool CarriesBar(bool barVisible, bool topLevel, const std::vector<SiblingState>& siblings, int index);

}  // namespace ui
