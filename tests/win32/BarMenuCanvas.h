#pragma once
// Drives a side-bar menu's measure and draw hooks as the system does, into
// a bitmap of the test's own, so that its pixels can be read back.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "rtl/win32/DeviceContext.h"
#include "rtl/win32/Graphics.h"
#include "rtl/win32/Handles.h"
#include "ui/BarMenus.h"

class BarMenuCanvas {
public:
  BarMenuCanvas(int width, int height) : FWidth(width), FHeight(height), FDC(nullptr) {
    const BITMAPINFO info = rtl::Dib32Info(width, height);
    void* bits = nullptr;
    FBitmap.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    FBits = static_cast<std::uint32_t*>(bits);
    FSelection = std::make_unique<rtl::Selection>(FDC.Get(), FBitmap.Get());
    Fill(RGB(1, 2, 3));
  }
  HDC DC() const { return FDC.Get(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void Fill(COLORREF colour) {
    rtl::Brush brush(::CreateSolidBrush(colour));
    RECT r{0, 0, FWidth, FHeight};
    ::FillRect(FDC.Get(), &r, brush.Get());
  }
  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return CLR_INVALID;
    ::GdiFlush();
    const std::uint32_t w = FBits[static_cast<size_t>(y) * FWidth + x];
    return RGB(w >> 16 & 0xFF, w >> 8 & 0xFF, w & 0xFF);
  }
  // How many pixels of R have the colour.
  int Count(const RECT& r, COLORREF colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
    return n;
  }

private:
  int FWidth, FHeight;
  rtl::MemoryDC FDC;
  rtl::Bitmap FBitmap;
  std::uint32_t* FBits = nullptr;
  std::unique_ptr<rtl::Selection> FSelection;
};

// Each visible top-level item measured through its hook, as the system
// asks when the menu opens; returns the rectangles stacked from the top,
// all as wide as the widest. Items with a break start a new column.
inline std::vector<RECT> MeasureMenu(ui::TBcCustomBarPopupMenu& menu) {
  rtl::WindowDC screen(nullptr);
  std::vector<RECT> rects;
  int left = 0, top = 0, widest = 0;
  size_t columnStart = 0;
  auto closeColumn = [&] {
    for (size_t i = columnStart; i < rects.size(); ++i) rects[i].right = left + widest;
  };
  for (int i = 0; i < menu.Items().Count(); ++i) {
    rtl::TMenuItem* item = menu.Items().Items(i);
    int width = 0, height = 0;
    item->DefaultSize(screen.Get(), width, height);
    if (item->OnMeasureItem) item->OnMeasureItem(item, screen.Get(), width, height);
    if (!item->Visible()) {
      rects.push_back({0, 0, 0, 0});
      continue;
    }
    if (item->Break() != rtl::mbNone && i > 0) {
      closeColumn();
      left += widest;
      top = 0;
      widest = 0;
      columnStart = rects.size();
    }
    rects.push_back({left, top, left + width, top + height});
    top += height;
    if (width > widest) widest = width;
  }
  closeColumn();
  return rects;
}

// Draws every visible top-level item through its hook; Selected names the
// item drawn selected (-1: none).
inline void DrawMenu(ui::TBcCustomBarPopupMenu& menu, const BarMenuCanvas& canvas, const std::vector<RECT>& rects,
                     int selected = -1) {
  for (int i = 0; i < menu.Items().Count(); ++i) {
    rtl::TMenuItem* item = menu.Items().Items(i);
    if (!item->Visible() || !item->OnAdvancedDrawItem) continue;
    UINT state = i == selected ? ODS_SELECTED : 0;
    if (!item->Enabled()) state |= ODS_GRAYED | ODS_DISABLED;
    const int saved = ::SaveDC(canvas.DC());
    item->OnAdvancedDrawItem(item, canvas.DC(), rects[static_cast<size_t>(i)], state);
    ::RestoreDC(canvas.DC(), saved);
  }
}
