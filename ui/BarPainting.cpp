// The side-bar menu's item painting and its bar: painted once into a 32-bit
// bitmap, after which each item paint copies the bitmap's rows beside it.

#include <algorithm>
#include <string>

#include "rtl/core/Exceptions.h"
#include "rtl/win32/DeviceContext.h"
#include "ui/BarItemPainting.h"
#include "ui/BarMenus.h"
#include "ui/BcDrawModule.h"
#include "ui/core/BarGeometry.h"
#include "ui/core/BarGradient.h"

namespace ui {

using rtl::ColorToRGB;

namespace {

BarAlign Horizontal(THorzAlignment a) { return a == haLeft ? BarAlign::Start : a == haRight ? BarAlign::End : BarAlign::Centre; }
BarAlign Vertical(TVertAlignment a) { return a == vaTop ? BarAlign::Start : a == vaBottom ? BarAlign::End : BarAlign::Centre; }

MenuRect ToMenuRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const MenuRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

void DrawBackPicture(HDC dc, TBcBarBackPicture& back, int width, int height) {
  rtl::TBitmap& picture = back.Picture();
  picture.Transparent = back.Transparent();
  switch (back.DrawStyle()) {
    case dsNormal: {
      const MenuPoint at = AlignedPosition(Horizontal(back.HorzAlignment()), Vertical(back.VertAlignment()), width,
                                           height, back.OffsetX(), back.OffsetY(), picture.Width(), picture.Height());
      picture.Draw(dc, at.X, at.Y);
      break;
    }
    case dsStretch:
      picture.StretchDraw(dc, {0, 0, width, height});
      break;
    case dsTile:
      for (int y : TileOrigins(Vertical(back.VertAlignment()), height, picture.Height(), back.OffsetY()))
        for (int x : TileOrigins(Horizontal(back.HorzAlignment()), width, picture.Width(), back.OffsetX()))
          picture.Draw(dc, x, y);
      break;
  }
}

void DrawBarCaption(HDC dc, const RECT& area, TBcBar& bar, int barHeight) {
  const TBcBarCaption& caption = bar.BarCaption();
  const std::string& text = caption.Caption();
  const int length = static_cast<int>(text.size());
  rtl::Selection plain(dc, caption.Font().Handle());
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, text.c_str(), length, &extent);

  LOGFONTA lf = caption.Font().LogFont();
  lf.lfEscapement = caption.Direction() == dDownToUp ? 900 : -900;
  lf.lfOrientation = 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  rtl::Font rotated(::CreateFontIndirectA(&lf));
  if (!rotated) throw rtl::Exception("The bar's caption font cannot be made");

  TBcBarPicture& picture = bar.BarPicture();
  const int pictureBelow = picture.HasPicture() && picture.VertAlignment() == vaBottom ? picture.Picture().Height() : 0;
  const MenuPoint at = CaptionPosition(Vertical(caption.Alignment()), caption.Direction() == dUpToDown, bar.Width(),
                                       barHeight, caption.OffsetY(), extent.cx, extent.cy, pictureBelow);
  rtl::Selection turned(dc, rotated.Get());
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const RECT clip{area.left, area.top, area.right, area.bottom + 1};
  auto out = [&](TColor colour, int x, int y) {
    ::SetTextColor(dc, ColorToRGB(colour));
    ::ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(length), nullptr);
  };
  const int depth = caption.Depth();
  if (caption.HighlightColor() != rtl::clNone) out(caption.HighlightColor(), at.X - depth, at.Y + depth);
  if (caption.ShadowColor() != rtl::clNone) out(caption.ShadowColor(), at.X + depth, at.Y - depth);
  out(caption.Font().Color(), at.X, at.Y);
  ::SetBkMode(dc, oldMode);
}

// How far below the client area's top the items start. Windows gives owner
// drawn items the whole client area; Wine keeps a margin round them inside
// the client area, so a bar as tall as the client area and copied to its
// top would lose its first and last rows (and the picture there) to the
// margins.
int ItemAreaMargin(HWND menuWindow) {
  auto menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  RECT first{};
  POINT client{0, 0};
  if (!menu || !::GetMenuItemRect(menuWindow, menu, 0, &first) || !::ClientToScreen(menuWindow, &client)) return 0;
  return std::max(0L, first.top - client.y);
}

}  // namespace

void TBcCustomBarPopupMenu::PaintBarInto(HDC canvas) {
  rtl::TBitmap& bitmap = FBarCache.BarBitmap();
  const int width = bitmap.Width(), height = bitmap.Height();
  const RECT area{0, 0, width, height};
  bool defaultDraw = true;
  DoBeforeDrawBar(canvas, area, defaultDraw);
  if (!defaultDraw) return;
  TBarParts parts{bpGradient};
  if (FBar.BarPicture().Visible()) parts.Include(bpPicture);
  if (FBar.BarBackPicture().Visible()) parts.Include(bpBackPicture);
  if (FBar.BarCaption().Visible()) parts.Include(bpCaption);
  DoAdvancedBeforeDrawBar(canvas, area, parts);

  TBcBarBackPicture& back = FBar.BarBackPicture();
  if (parts.Contains(bpGradient)) {
    const bool covered =
        !back.Transparent() && back.HasPicture() && (back.DrawStyle() == dsTile || back.DrawStyle() == dsStretch);
    if (!covered) {
      const auto words = GradientWords(static_cast<GradientDirection>(FBar.GradientStyle()),
                                       ColorToRGB(FBar.GradientStart()), ColorToRGB(FBar.GradientEnd()), width, height);
      // What GDI has queued for the bitmap lands before the words do.
      ::GdiFlush();
      std::copy(words.begin(), words.end(), bitmap.Bits());
    }
  }
  if (parts.Contains(bpBackPicture)) {
    if (back.HasPicture()) DrawBackPicture(canvas, back, width, height);
    if (FBar.Border() != rtl::clNone) {
      rtl::Brush frame(::CreateSolidBrush(ColorToRGB(FBar.Border())));
      if (frame) ::FrameRect(canvas, &area, frame.Get());
    }
  }
  TBcBarPicture& picture = FBar.BarPicture();
  if (parts.Contains(bpPicture) && picture.HasPicture()) {
    rtl::TBitmap& image = picture.Picture();
    image.Transparent = picture.Transparent();
    const MenuPoint at = AlignedPosition(Horizontal(picture.HorzAlignment()), Vertical(picture.VertAlignment()), width,
                                         height, picture.OffsetX(), picture.OffsetY(), image.Width(), image.Height());
    image.Draw(canvas, at.X, at.Y);
  }
  if (parts.Contains(bpCaption)) DrawBarCaption(canvas, area, FBar, height);
}

void TBcCustomBarPopupMenu::DrawMenuItem(rtl::TMenuItem* item, HDC canvas, const RECT& rect, UINT state) {
  HWND menuWindow = ::WindowFromDC(canvas);
  const bool carries = ItemCarriesBar(*item);
  const bool left = FBar.Side() == sLeft;
  RECT content = ToRect(ContentRect(ToMenuRect(rect), carries, FBar.Width(), FBar.Space(), left));
  if (!FUseSystemFont) {
    ::SelectObject(canvas, FMenuFont.Handle());
    ::SetTextColor(canvas, ColorToRGB(FMenuFont.Color()));
  }
  bool defaultDraw = true;
  if (FDrawModule) FDrawModule->DrawMenuItem(item, canvas, rect, state, carries, defaultDraw);
  if (defaultDraw) {
    if (FSeparators.SeparatorStyle() == ssShortLine) {
      content.right -= 10;
      const RECT strip{content.right, content.top, content.right + 10, content.bottom};
      ::FillRect(canvas, &strip, ::GetSysColorBrush(COLOR_MENU));
    }
    if (item->IsLine())
      DrawSeparatorItem(*this, canvas, *item, content);
    else
      DrawNormalItem(*this, canvas, *item, content, state, EffectiveStyle() == msWindowsXP);
  }
  if (!carries) return;

  if (FBarCache.NeedsRebuild()) {
    RECT client{};
    FBarTop = 0;
    if (menuWindow && ::GetClientRect(menuWindow, &client)) {
      FBarTop = ItemAreaMargin(menuWindow);
      FBarCache.BarHeight = std::max(0, static_cast<int>(client.bottom - client.top) - 2 * FBarTop);
    }
    FBarCache.SetNeedsRebuild(false);
    rtl::TBitmap& bitmap = FBarCache.BarBitmap();
    if (bitmap.Width() != FBar.Width() || bitmap.Height() != FBarCache.BarHeight || !bitmap.Bits()) {
      bitmap.SetSize32(FBar.Width(), FBarCache.BarHeight);
      FBarCache.Drawn = false;
    }
  }
  rtl::TBitmap& bitmap = FBarCache.BarBitmap();
  if (bitmap.Empty()) return;
  const int barX = ToRect(BarSlice(ToMenuRect(rect), bitmap.Width(), left)).left;
  rtl::MemoryDC memory(canvas);
  if (!memory.Get()) return;
  rtl::Selection selected(memory.Get(), bitmap.Handle());
  if (FBarCache.Drawn) {
    ::BitBlt(canvas, barX, rect.top, bitmap.Width(), rect.bottom - rect.top, memory.Get(), 0, rect.top - FBarTop,
             SRCCOPY);
    return;
  }
  PaintBarInto(memory.Get());
  ::BitBlt(canvas, barX, FBarTop, bitmap.Width(), bitmap.Height(), memory.Get(), 0, 0, SRCCOPY);
  DoAfterDrawBar(memory.Get(), {0, 0, bitmap.Width(), bitmap.Height()});
  FBarCache.Drawn = true;
}

}  // namespace ui
