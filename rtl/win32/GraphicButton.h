#pragma once
// A flat button that the program draws itself, in the manner of the UI
// library's speed button: a glyph bitmap that holds one to four images side
// by side (up, disabled, clicked, down), shown pressed while the left mouse
// button holds it, clicked when released over it. It is a child window of
// its own, so that it can sit inside another control.

#include <windows.h>

#include <functional>

#include "rtl/win32/Handles.h"
#include "rtl/win32/Window.h"

namespace rtl {

class TGraphicButton : public TWindow {
public:
  TGraphicButton() = default;
  void Create(HWND parent, int left, int top, int width, int height);
  void SetBounds(int left, int top, int width, int height);
  int Width() const;
  int Height() const;

  HBITMAP Glyph() const { return FGlyph.Get(); }
  // Takes the bitmap; its bottom-left pixel gives the transparent colour.
  void SetGlyph(Bitmap glyph);
  int NumGlyphs() const { return FNumGlyphs; }
  // 1 to 4; other counts are taken as 1.
  void SetNumGlyphs(int count);

  // Shown pressed: the mouse holds the button down over it.
  bool Down() const { return FDown; }
  bool HoldsCapture() const { return HandleAllocated() && ::GetCapture() == Handle(); }
  // Enabled here and in every parent up to the top-level window.
  bool EffectivelyEnabled() const;

  virtual void Click();
  std::function<void()> OnClick;
  // The left button went down on the button, before it shows pressed.
  std::function<void()> OnMouseDown;

protected:
  virtual void MouseDown();
  virtual void MouseUp();
  // Over the face, after the glyph.
  virtual void PaintOver(HDC) {}
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void Paint(HDC dc);
  void DrawGlyph(HDC dc, int x, int y, int index, bool disabled);
  void SetDown(bool down);

  Bitmap FGlyph;
  int FNumGlyphs = 1;
  bool FDown = false;
  bool FDragging = false;
};

}  // namespace rtl
