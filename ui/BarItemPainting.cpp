// The system's check-mark bitmap has its number only with OEMRESOURCE.
#define OEMRESOURCE
#include "ui/BarItemPainting.h"

#include <string>
#include <vector>

#include "rtl/win32/DeviceContext.h"
#include "rtl/win32/Graphics.h"
#include "rtl/win32/Window.h"
#include "ui/core/BarGeometry.h"
#include "ui/core/BarGradient.h"

namespace ui {

using rtl::ColorToRGB;

namespace {

// True on Windows of at least this version.
bool WindowsAtLeast(DWORD major, DWORD minor) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExA(&version)) return false;
  return version.dwMajorVersion > major || (version.dwMajorVersion == major && version.dwMinorVersion >= minor);
}

bool IsNt5OrLater() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

void Fill(HDC dc, const RECT& r, TColor colour) {
  rtl::Brush brush(::CreateSolidBrush(ColorToRGB(colour)));
  if (brush) ::FillRect(dc, &r, brush.Get());
}

void Frame(HDC dc, const RECT& r, TColor colour) {
  rtl::Brush brush(::CreateSolidBrush(ColorToRGB(colour)));
  if (brush) ::FrameRect(dc, &r, brush.Get());
}

// Every other pixel in button face and highlight, as checked buttons look.
void FillChecker(HDC dc, const RECT& r) {
  const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  rtl::Bitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
  rtl::Brush brush(pattern ? ::CreatePatternBrush(pattern.Get()) : nullptr);
  if (!brush) {
    Fill(dc, r, rtl::clBtnFace);
    return;
  }
  const COLORREF oldText = ::SetTextColor(dc, ColorToRGB(rtl::clBtnFace));
  const COLORREF oldBk = ::SetBkColor(dc, ColorToRGB(rtl::clBtnHighlight));
  ::FillRect(dc, &r, brush.Get());
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBk);
}

void DrawCheckMark(HDC dc, bool radio, const RECT& g, bool xpStyle) {
  rtl::Bitmap mark(radio ? ::LoadBitmapA(rtl::ModuleInstance(), "BCRADIOITEM")
                         : ::LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECK)));
  if (!mark) return;
  const SIZE size = rtl::BitmapSize(mark.Get());
  int x = (g.left + g.right - size.cx) / 2;
  int y = (g.top + g.bottom - size.cy) / 2;
  if (xpStyle) {
    if (!radio) ++x;
  } else {
    ++x;
    ++y;
  }
  rtl::DrawTransparentBitmap(dc, mark.Get(), x, y, ColorToRGB(rtl::clBtnText));
}

BarAlign AlignmentOf(TAlignment alignment) {
  return alignment == taLeftJustify ? BarAlign::Start : alignment == taRightJustify ? BarAlign::End : BarAlign::Centre;
}

// An etched or flat one-pixel edge along the top of R.
void TopEdge(HDC dc, RECT r, bool flat) {
  ::DrawEdge(dc, &r, flat ? BDR_RAISEDOUTER : EDGE_ETCHED, BF_TOP | (flat ? BF_FLAT : 0));
}

// A disabled text is embossed: a highlight one pixel down and right, then
// the shadow over it.
void ItemText(HDC dc, const std::string& text, RECT r, UINT flags, bool disabled, bool selected, COLORREF colour) {
  if (!disabled) {
    ::SetTextColor(dc, colour);
    ::DrawTextA(dc, text.c_str(), -1, &r, flags);
    return;
  }
  if (!selected) {
    RECT below = r;
    ::OffsetRect(&below, 1, 1);
    ::SetTextColor(dc, ColorToRGB(rtl::clBtnHighlight));
    ::DrawTextA(dc, text.c_str(), -1, &below, flags);
  }
  const bool shadowIsHighlight = ColorToRGB(rtl::clHighlight) == ColorToRGB(rtl::clBtnShadow);
  ::SetTextColor(dc, ColorToRGB(selected && shadowIsHighlight ? rtl::clBtnHighlight : rtl::clBtnShadow));
  ::DrawTextA(dc, text.c_str(), -1, &r, flags);
}

}  // namespace

void FillGradient(HDC dc, const RECT& r, TColor start, TColor end, TGradientStyle style) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  const std::vector<std::uint32_t> words = GradientWords(static_cast<GradientDirection>(style), ColorToRGB(start),
                                                         ColorToRGB(end), width, height);
  if (words.empty()) return;
  const BITMAPINFO info = rtl::Dib32Info(width, height);
  ::SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), words.data(), &info, DIB_RGB_COLORS);
}

void DrawFadedLine(HDC dc, int y, int a, int b, int fadeWidth, TColor colour, const RECT* gap) {
  const FadeRuns runs = FadedLineRuns(a, b, gap != nullptr, gap ? gap->left : 0, gap ? gap->right : 0);
  const RgbColour line = ColorToRGB(colour);
  auto paint = [&](const FadeRun& run) {
    for (int x = run.From; x <= run.To; ++x) {
      const COLORREF old = ::GetPixel(dc, x, y);
      if (old == CLR_INVALID) continue;  // outside the clip: nothing to blend with
      const int distance = x < run.OuterEnd ? run.OuterEnd - x : x - run.OuterEnd;
      ::SetPixel(dc, x, y, FadedPixel(old, line, distance, fadeWidth));
    }
  };
  paint(runs.Left);
  paint(runs.Right);
}

void DrawSeparatorItem(IBarMenusIntf& menu, HDC dc, const rtl::TMenuItem& item, RECT c) {
  TBcSeparators& s = menu.GetSeparators();
  const std::string hint = item.Enabled() ? item.Hint() : std::string();
  if (s.SeparatorStyle() == ssShortLine) {
    c.right += 10;
    ::InflateRect(&c, -12, 0);
  }
  if (hint.empty()) {
    const int y = c.top + 5;
    if (s.Fade()) {
      if (!s.FlatLines()) DrawFadedLine(dc, y, c.left, c.right - 1, s.FadeWidth(), rtl::clBtnHighlight, nullptr);
      DrawFadedLine(dc, y - 1, c.left, c.right - 1, s.FadeWidth(), s.FadeColor(), nullptr);
    } else {
      TopEdge(dc, {c.left, y, c.right, c.bottom}, s.FlatLines());
    }
    return;
  }
  const std::string text = " " + hint + " ";
  ::SetBkMode(dc, TRANSPARENT);
  if (s.SeparatorStyle() == ssCaption) {
    if (!s.UseSystemFont()) {
      ::SelectObject(dc, s.Font().Handle());
      ::SetTextColor(dc, ColorToRGB(s.Font().Color()));
    }
    FillGradient(dc, c, s.GradientStart(), s.GradientEnd(), s.GradientStyle());
    const UINT align = s.Alignment() == taLeftJustify ? DT_LEFT : s.Alignment() == taRightJustify ? DT_RIGHT : DT_CENTER;
    ::DrawTextA(dc, text.c_str(), -1, &c, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | align);
    return;
  }
  RECT t{};
  ::DrawTextA(dc, text.c_str(), -1, &t, DT_CALCRECT | DT_CENTER | DT_SINGLELINE);
  const int textWidth = t.right - t.left;
  int left = c.left;
  switch (AlignmentOf(s.Alignment())) {
    case BarAlign::End:
      left = c.right - textWidth;
      break;
    case BarAlign::Centre:
      left = c.left + HalfEvenCentre((c.right - c.left) - textWidth);
      break;
    case BarAlign::Start:
      break;
  }
  t = {left, c.top, left + textWidth, c.bottom};
  const int y = c.top + 6;
  if (s.Fade()) {
    DrawFadedLine(dc, y + 1, c.left, c.right - 1, s.FadeWidth(), s.FadeColor(), &t);
    if (!s.FlatLines()) DrawFadedLine(dc, y + 2, c.left, c.right - 1, s.FadeWidth(), rtl::clBtnHighlight, &t);
  } else {
    const int row = s.FlatLines() ? y + 1 : y;
    TopEdge(dc, {c.left, row, t.left, c.bottom}, s.FlatLines());
    TopEdge(dc, {t.right, row, c.right, c.bottom}, s.FlatLines());
  }
  ::SetTextColor(dc, ColorToRGB(rtl::clMenuText));
  ::DrawTextA(dc, text.c_str(), -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawNormalItem(IBarMenusIntf& menu, HDC dc, const rtl::TMenuItem& item, RECT c, UINT state, bool xpStyle) {
  const bool selected = (state & ODS_SELECTED) != 0;
  const bool disabled = !item.Enabled() || (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool checked = item.Checked() || (state & ODS_CHECKED) != 0;
  const TColor brush = selected ? rtl::clHighlight : rtl::clMenu;
  TColor fontColour = selected ? rtl::clHighlightText : rtl::clMenuText;
  if (!selected && (disabled || (state & ODS_INACTIVE)) && WindowsAtLeast(4, 1)) fontColour = rtl::clGrayText;
  if (!selected) Fill(dc, c, brush);

  // The glyph: a list image, the item's bitmap, or a check mark.
  const rtl::TImageList* images = menu.GetImages();
  const bool listImage = images && item.ImageIndex() >= 0 && item.ImageIndex() < images->Count();
  const bool useList = images && (listImage || (checked && item.Bitmap().Empty()));
  const bool useBitmap = !item.Bitmap().Empty() && !useList;
  const bool hasGlyph = useList || useBitmap;
  RECT g{c.left + 1, c.top + 1, c.left + 1, c.top + 1};
  if (!hasGlyph) {
    if (images) {
      g.right += images->Width();
      g.bottom += images->Height();
    } else {
      g = {c.left + 2, c.top + 1, c.left + 10, c.bottom - (xpStyle ? 2 : 3)};
    }
  } else {
    const int width = useList ? images->Width() : 16, height = useList ? images->Height() : 16;
    g.right += width;
    g.bottom += height;
    ::OffsetRect(&g, 0, ((c.bottom - c.top) - height) / 2 - 1);
  }

  int shift = 0;  // the classic style draws a checked glyph pressed in
  if (xpStyle) {
    const RECT strip{c.left, c.top, g.right + 5, c.bottom};
    if (checked) {
      if (selected) Fill(dc, strip, rtl::clHighlight);
      const RECT former = g;
      ::OffsetRect(&g, 1, 0);
      if (selected)
        Fill(dc, g, rtl::clMenu);
      else
        Frame(dc, {former.left, former.top - 1, former.right + 2, former.bottom + 1}, rtl::clHighlight);
    } else {
      Fill(dc, strip, brush);
      ::OffsetRect(&g, 1, 0);
    }
  } else if (checked) {
    ++g.right;
    ++g.bottom;
    if (selected)
      Fill(dc, g, rtl::clBtnFace);
    else
      FillChecker(dc, g);
    shift = 1;
  }

  if (useList) {
    if (listImage)
      images->Draw(dc, g.left + shift, g.top + shift, item.ImageIndex(), !disabled);
    else
      DrawCheckMark(dc, item.RadioItem(), g, xpStyle);
  } else if (useBitmap) {
    const rtl::TBitmap& bitmap = item.Bitmap();
    if (bitmap.Width() < g.right - g.left) {
      g.left += (g.right - g.left - bitmap.Width()) / 2 + 1;
      g.right = g.left + bitmap.Width();
    }
    if (bitmap.Height() < g.bottom - g.top) {
      g.top += (g.bottom - g.top - bitmap.Height()) / 2 + 1;
      g.bottom = g.top + bitmap.Height();
    }
    RECT target = g;
    ::OffsetRect(&target, shift, shift);
    bitmap.StretchDraw(dc, target);
  }

  g = {g.left - 1, g.top - 1, g.right + 2, g.bottom + 2};
  if (!xpStyle && hasGlyph && (checked || selected))
    ::DrawEdge(dc, &g, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);

  if (selected) {
    const int from = !hasGlyph ? c.left : xpStyle ? g.right - 1 : g.right + 1;
    Fill(dc, {from, c.top, c.right, c.bottom}, rtl::clHighlight);
  }
  if (checked && !hasGlyph) DrawCheckMark(dc, item.RadioItem(), g, xpStyle);

  // The caption and the shortcut.
  RECT t{g.right + 1 + (xpStyle ? 4 : 2), c.top, c.right - 1, c.bottom};
  UINT flags = DT_LEFT | DT_SINGLELINE | DT_EXPANDTABS;
  if (menu.GetRightToLeft()) flags |= DT_RTLREADING | DT_RIGHT;
  if ((state & ODS_NOACCEL) && IsNt5OrLater()) flags |= DT_HIDEPREFIX;
  rtl::Font bold;
  std::unique_ptr<rtl::Selection> boldSelection;
  if (item.Default() || (state & ODS_DEFAULT)) {
    LOGFONTA lf{};
    if (::GetObjectA(::GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf)) {
      lf.lfWeight = FW_BOLD;
      bold.Reset(::CreateFontIndirectA(&lf));
      if (bold) boldSelection = std::make_unique<rtl::Selection>(dc, bold.Get());
    }
  }
  const std::string caption = item.Caption().empty() || item.Caption() == "&" ? " " : item.Caption();
  RECT measured = t;
  ::DrawTextA(dc, caption.c_str(), -1, &measured, flags | DT_CALCRECT);
  ::OffsetRect(&t, 0, ((c.bottom - c.top) - (measured.bottom - measured.top)) / 2);
  ::SetBkMode(dc, TRANSPARENT);
  ItemText(dc, caption, t, flags, disabled, selected, ColorToRGB(fontColour));
  const std::string shortCut = rtl::ShortCutToText(item.ShortCut());
  if (!shortCut.empty()) {
    const RECT place{measured.right, t.top, t.right - 10, t.bottom};
    ItemText(dc, shortCut, place, DT_RIGHT | DT_SINGLELINE, disabled, selected, ColorToRGB(fontColour));
  }
}

}  // namespace ui
