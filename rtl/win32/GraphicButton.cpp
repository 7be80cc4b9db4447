#include "rtl/win32/GraphicButton.h"

#include <windowsx.h>

namespace rtl {

namespace {

class MemoryDC {
public:
  explicit MemoryDC(HDC like) : FDC(::CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (FDC) ::DeleteDC(FDC);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HDC FDC;
};

// Puts the object back that was selected before.
class Selection {
public:
  Selection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(::SelectObject(dc, object)) {}
  ~Selection() { ::SelectObject(FDC, FOld); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// Where the mask is 0 the pattern goes down, where it is 1 the screen stays.
constexpr DWORD kPatternThroughMask = 0x00B8074A;

}  // namespace

void TGraphicButton::Create(HWND parent, int left, int top, int width, int height) {
  CreateHandle("OrvGraphicButton", "", WS_CHILD | WS_VISIBLE, 0, left, top, width, height, parent,
               nullptr, CS_DBLCLKS, nullptr);
}

void TGraphicButton::SetBounds(int left, int top, int width, int height) {
  ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TGraphicButton::Width() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.right - r.left;
}

int TGraphicButton::Height() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}

void TGraphicButton::SetGlyph(Bitmap glyph) {
  FGlyph = std::move(glyph);
  if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TGraphicButton::SetNumGlyphs(int count) {
  FNumGlyphs = count >= 1 && count <= 4 ? count : 1;
  if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

bool TGraphicButton::EffectivelyEnabled() const {
  for (HWND window = Handle(); window; window = ::GetParent(window)) {
    if (!::IsWindowEnabled(window)) return false;
    if (!(::GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return true;
}

void TGraphicButton::Click() {
  // The handler may free this button; run a copy.
  std::function<void()> handler = OnClick;
  if (handler) handler();
}

void TGraphicButton::SetDown(bool down) {
  if (down == FDown) return;
  FDown = down;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TGraphicButton::MouseDown() {
  std::function<void()> handler = OnMouseDown;
  if (handler) handler();
  if (!HoldsCapture()) return;  // the handler took the mouse elsewhere
  FDragging = true;
  SetDown(true);
}

void TGraphicButton::MouseUp() {
  const bool wasDown = FDown;
  FDragging = false;
  SetDown(false);
  if (HoldsCapture()) ::ReleaseCapture();
  if (wasDown) Click();
}

LRESULT TGraphicButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(Handle(), &ps);
      Paint(dc);
      ::EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (EffectivelyEnabled()) {
        ::SetCapture(Handle());
        MouseDown();
      }
      return 0;
    case WM_MOUSEMOVE:
      if (FDragging) {
        RECT r;
        ::GetClientRect(Handle(), &r);
        const POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetDown(::PtInRect(&r, p) != FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (FDragging) MouseUp();
      return 0;
    case WM_CAPTURECHANGED:
      // Lost to another window (a message box, a drag elsewhere): no
      // release will come here, so no click either.
      if (FDragging && reinterpret_cast<HWND>(lParam) != Handle()) {
        FDragging = false;
        SetDown(false);
      }
      return 0;
    case WM_ENABLE:
      ::InvalidateRect(Handle(), nullptr, FALSE);
      break;
  }
  return DefaultHandler(message, wParam, lParam);
}

void TGraphicButton::Paint(HDC dc) {
  RECT r;
  ::GetClientRect(Handle(), &r);
  const bool enabled = EffectivelyEnabled();
  ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (FDown ? DFCS_PUSHED : 0));
  if (FGlyph) {
    BITMAP bm{};
    ::GetObjectA(FGlyph.Get(), sizeof bm, &bm);
    const int imageWidth = bm.bmWidth / FNumGlyphs;
    int index = 0;
    if (!enabled && FNumGlyphs >= 2) index = 1;
    else if (FDown && FNumGlyphs >= 3) index = 2;
    const int shift = FDown ? 1 : 0;
    DrawGlyph(dc, (r.right - imageWidth) / 2 + shift, (r.bottom - bm.bmHeight) / 2 + shift, index,
              !enabled && FNumGlyphs < 2);
  }
  PaintOver(dc);
}

void TGraphicButton::DrawGlyph(HDC dc, int x, int y, int index, bool disabled) {
  BITMAP bm{};
  ::GetObjectA(FGlyph.Get(), sizeof bm, &bm);
  const int w = bm.bmWidth / FNumGlyphs, h = bm.bmHeight, sx = index * w;
  MemoryDC source(dc), maskDC(dc);
  Bitmap mask(::CreateBitmap(w, h, 1, 1, nullptr));
  if (!source.Get() || !maskDC.Get() || !mask) return;
  Selection glyphIn(source.Get(), FGlyph.Get());
  Selection maskIn(maskDC.Get(), mask.Get());
  // 1 in the mask where the glyph shows its transparent colour.
  ::SetBkColor(source.Get(), ::GetPixel(source.Get(), sx, h - 1));
  ::BitBlt(maskDC.Get(), 0, 0, w, h, source.Get(), sx, 0, SRCCOPY);

  const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
  if (!disabled) {
    ::BitBlt(dc, x, y, w, h, source.Get(), sx, 0, SRCINVERT);
    ::BitBlt(dc, x, y, w, h, maskDC.Get(), 0, 0, SRCAND);
    ::BitBlt(dc, x, y, w, h, source.Get(), sx, 0, SRCINVERT);
  } else {
    // Engraved: the shape in the highlight colour one pixel down and
    // right, and in the shadow colour on top.
    {
      Selection brush(dc, ::GetSysColorBrush(COLOR_BTNHIGHLIGHT));
      ::BitBlt(dc, x + 1, y + 1, w, h, maskDC.Get(), 0, 0, kPatternThroughMask);
    }
    Selection brush(dc, ::GetSysColorBrush(COLOR_BTNSHADOW));
    ::BitBlt(dc, x, y, w, h, maskDC.Get(), 0, 0, kPatternThroughMask);
  }
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
}

}  // namespace rtl
