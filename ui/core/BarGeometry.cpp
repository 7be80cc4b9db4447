#include "ui/core/BarGeometry.h"

#include <cstddef>
#include <cstdint>

namespace ui {

int HalfEvenCentre(int n) {
  // (n - 1) / 2 is exact or lies half-way between two integers.
  const std::int64_t m = static_cast<std::int64_t>(n) - 1;
  std::int64_t q = m / 2;
  if (m % 2 != 0 && m < 0) --q;  // floor
  if (m - 2 * q == 0) return static_cast<int>(q);
  return static_cast<int>(q % 2 == 0 ? q : q + 1);
}

BarMenuStyle EffectiveMenuStyle(BarMenuStyle chosen, bool ntFamily, int major, int minor) {
  if (chosen != BarMenuStyle::Auto) return chosen;
  const bool xpOrLater = ntFamily && (major > 5 || (major == 5 && minor >= 1));
  return xpOrLater ? BarMenuStyle::WindowsXP : BarMenuStyle::Standard;
}

int SeparatorHeight(bool enabled, bool hasHint, bool xpStyle) {
  if (enabled && hasHint) return 14;
  return xpStyle ? 9 : 12;
}

ItemSize ItemSizeBeforeHooks(ItemSize size, bool menuHasImages, bool itemHasBitmap, bool xpStyle) {
  if (!menuHasImages && !itemHasBitmap) size.Width += 23;
  if (xpStyle) {
    if (size.Height % 2 != 0) ++size.Height;
    size.Width += 2;
  }
  return size;
}

ItemSize ItemSizeAfterHooks(ItemSize size, bool defaultMeasure, bool shortLine, bool carriesBar,
                            int barWidth, int barSpace) {
  if (defaultMeasure && shortLine) size.Width += 10;
  if (carriesBar) size.Width += barWidth + barSpace;
  return size;
}

MenuRect ContentRect(const MenuRect& item, bool carriesBar, int barWidth, int barSpace, bool barLeft) {
  MenuRect c = item;
  if (!carriesBar) return c;
  const int taken = barWidth + barSpace;
  c.Right -= taken;
  if (barLeft) {
    c.Left += taken;
    c.Right += taken;
  }
  return c;
}

MenuRect BarSlice(const MenuRect& item, int barWidth, bool barLeft) {
  const int left = barLeft ? item.Left : item.Right - barWidth;
  return {left, item.Top, left + barWidth, item.Bottom};
}

namespace {

int Aligned(BarAlign alignment, int size, int offset, int pictureSize) {
  switch (alignment) {
    case BarAlign::Start:
      return offset;
    case BarAlign::End:
      return size + offset - pictureSize;
    case BarAlign::Centre:
      break;
  }
  return (size - pictureSize) / 2 + offset;
}

}  // namespace

MenuPoint AlignedPosition(BarAlign horizontal, BarAlign vertical, int barWidth, int barHeight,
                          int offsetX, int offsetY, int pictureWidth, int pictureHeight) {
  return {Aligned(horizontal, barWidth, offsetX, pictureWidth), Aligned(vertical, barHeight, offsetY, pictureHeight)};
}

MenuPoint CaptionPosition(BarAlign alignment, bool upToDown, int barWidth, int barHeight, int offsetY,
                          int textWidth, int textHeight, int pictureBelow) {
  MenuPoint p;
  p.X = HalfEvenCentre(barWidth - textHeight);
  switch (alignment) {
    case BarAlign::Start:
      p.Y = offsetY + textWidth;
      break;
    case BarAlign::End:
      p.Y = barHeight - offsetY - pictureBelow;
      break;
    case BarAlign::Centre:
      p.Y = HalfEvenCentre(barHeight + textWidth);
      break;
  }
  if (upToDown) {
    p.Y -= textWidth;
    p.X += textHeight + 1;
  }
  return p;
}

std::vector<int> TileOrigins(BarAlign alignment, int bitmapSize, int pictureSize, int offset) {
  std::vector<int> origins;
  if (pictureSize <= 0 || bitmapSize <= 0) return origins;
  int shift = 0;
  if (alignment != BarAlign::Start) {
    shift = bitmapSize % pictureSize - pictureSize;
    if (alignment == BarAlign::Centre) shift /= 2;
  }
  // Stepped back arithmetically: a large offset must not cost a long loop.
  std::int64_t start = static_cast<std::int64_t>(offset) + shift;
  if (start > 0) start -= (start + pictureSize - 1) / pictureSize * pictureSize;
  // A start far before the bitmap skips the tiles that would lie wholly
  // outside it; the ones drawn are the same.
  if (start <= -pictureSize) start += (-start) / pictureSize * pictureSize;
  for (std::int64_t at = start; at < bitmapSize; at += pictureSize) origins.push_back(static_cast<int>(at));
  return origins;
}

bool CarriesBar(bool barVisible, bool topLevel, const std::vector<SiblingState>& siblings, int index) {
  if (!barVisible || !topLevel) return false;
  if (index < 0 || static_cast<std::size_t>(index) >= siblings.size()) return false;
  for (int i = 0; i <= index; ++i) {
    const SiblingState& s = siblings[static_cast<std::size_t>(i)];
    if (s.Visible && s.Break) return false;
  }
  return true;
}

}  // namespace ui
