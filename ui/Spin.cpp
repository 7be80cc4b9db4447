#include "ui/Spin.h"

#include <cstdint>
#include <string>

#include "rtl/win32/DeviceContext.h"
#include "rtl/win32/Forms.h"
#include "ui/core/SpinGeometry.h"
#include "ui/core/SpinValue.h"

namespace ui {

namespace {

constexpr unsigned kFirstRepeatDelay = 400;
constexpr unsigned kRepeatInterval = 100;

int WindowWidth(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r.right - r.left;
}

int WindowHeight(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r.bottom - r.top;
}

char DecimalSeparator() {
  char text[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) > 1) return text[0];
  return '.';
}

}  // namespace

// ---------------------------------------------------------------- repeating button

TTimerSpeedButton::TTimerSpeedButton() = default;

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::SetShowFocusRect(bool show) {
  if (show == FShowFocusRect) return;
  FShowFocusRect = show;
  if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TTimerSpeedButton::MouseDown() {
  TGraphicButton::MouseDown();
  if (!AllowRepeat) return;
  if (!FRepeatTimer) {
    FRepeatTimer.reset(new rtl::TTimer(nullptr));
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetOnTimer([this] { TimerExpired(); });
  }
  // A fresh first delay also when a quick second press finds it running.
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(kFirstRepeatDelay);
  FRepeatTimer->SetEnabled(true);
}

void TTimerSpeedButton::MouseUp() {
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
  TGraphicButton::MouseUp();
}

void TTimerSpeedButton::TimerExpired() {
  FRepeatTimer->SetInterval(kRepeatInterval);
  if (!HoldsCapture()) {
    // The mouse went to another window; no release will come here.
    FRepeatTimer->SetEnabled(false);
    return;
  }
  if (!Down()) return;  // the pointer is off the button; it may come back
  try {
    Click();
  } catch (...) {
    FRepeatTimer->SetEnabled(false);
    throw;
  }
}

void TTimerSpeedButton::PaintOver(HDC dc) {
  if (!FShowFocusRect) return;
  RECT client;
  ::GetClientRect(Handle(), &client);
  const SpinRect f = SpinFocusRect(client.right, client.bottom, Down());
  const RECT r = {f.Left, f.Top, f.Right, f.Bottom};
  ::DrawFocusRect(dc, &r);
}

// ---------------------------------------------------------------- spin button

TSpinButton::TSpinButton(HWND parent, int left, int top, int width, int height, bool tabStop) {
  CreateHandle("OrvSpinButton", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | (tabStop ? WS_TABSTOP : 0),
               WS_EX_NOPARENTNOTIFY, left, top, SpinButtonWidth(width), height, parent, nullptr,
               CS_DBLCLKS);
  FUpButton.Create(Handle(), 0, 0, 0, 0);
  FDownButton.Create(Handle(), 0, 0, 0, 0);
  AdjustSize();
  FUpButton.AllowRepeat = true;
  FDownButton.AllowRepeat = true;
  SetUpGlyph(rtl::Bitmap());
  SetDownGlyph(rtl::Bitmap());
  FUpButton.OnMouseDown = [this] { ButtonMouseDown(FUpButton); };
  FDownButton.OnMouseDown = [this] { ButtonMouseDown(FDownButton); };
  FUpButton.OnClick = [this] {
    std::function<void()> handler = OnUpClick;
    if (handler) handler();
  };
  FDownButton.OnClick = [this] {
    std::function<void()> handler = OnDownClick;
    if (handler) handler();
  };
}

TSpinButton::~TSpinButton() {
  // The buttons are members: their windows go before this one, while
  // their parent still stands.
  FUpButton.DestroyHandle();
  FDownButton.DestroyHandle();
}

void TSpinButton::SetBounds(int left, int top, int width, int height) {
  ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TSpinButton::Width() const { return WindowWidth(Handle()); }
int TSpinButton::Height() const { return WindowHeight(Handle()); }

void TSpinButton::SetUpGlyph(rtl::Bitmap glyph) { SetGlyph(FUpButton, std::move(glyph), "SpinUp"); }

void TSpinButton::SetDownGlyph(rtl::Bitmap glyph) {
  SetGlyph(FDownButton, std::move(glyph), "SpinDown");
}

void TSpinButton::SetGlyph(TTimerSpeedButton& button, rtl::Bitmap glyph, const char* resource) {
  if (glyph) {
    button.SetGlyph(std::move(glyph));
    return;
  }
  button.SetGlyph(rtl::Bitmap(static_cast<HBITMAP>(
      ::LoadImageA(rtl::ModuleInstance(), resource, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))));
  button.SetNumGlyphs(1);
}

HWND TSpinButton::FocusControl() const {
  return FFocusControl && ::IsWindow(FFocusControl) ? FFocusControl : nullptr;
}

bool TSpinButton::TabStop() const { return (::GetWindowLongA(Handle(), GWL_STYLE) & WS_TABSTOP) != 0; }

void TSpinButton::SetTabStop(bool tabStop) {
  const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
  ::SetWindowLongA(Handle(), GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

bool TSpinButton::CanTakeFocus(HWND window) const {
  if (!::IsWindowVisible(window)) return false;
  for (HWND w = window; w; w = ::GetParent(w)) {
    if (!::IsWindowEnabled(w)) return false;
    if (!(::GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return true;
}

void TSpinButton::AdjustSize() {
  const SpinRect up = SpinUpButtonRect(Width(), Height());
  const SpinRect down = SpinDownButtonRect(Width(), Height());
  FUpButton.SetBounds(up.Left, up.Top, up.Width(), up.Height());
  FDownButton.SetBounds(down.Left, down.Top, down.Width(), down.Height());
}

void TSpinButton::SetFocusBtn(TTimerSpeedButton& button) {
  if (!TabStop() || !CanTakeFocus(Handle()) || &button == FFocusedButton) return;
  FFocusedButton->SetShowFocusRect(false);
  FFocusedButton = &button;
  if (::GetFocus() == Handle()) FFocusedButton->SetShowFocusRect(true);
}

void TSpinButton::ButtonMouseDown(TTimerSpeedButton& button) {
  SetFocusBtn(button);
  HWND control = FocusControl();
  if (control && (::GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) && CanTakeFocus(control) &&
      ::GetFocus() != control) {
    ::SetFocus(control);
  } else if (TabStop() && ::GetFocus() != Handle() && CanTakeFocus(Handle())) {
    ::SetFocus(Handle());
  }
}

LRESULT TSpinButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(pos->flags & SWP_NOSIZE)) pos->cx = SpinButtonWidth(pos->cx);
      return 0;
    }
    case WM_SIZE:
      if (FUpButton.HandleAllocated() && FDownButton.HandleAllocated()) AdjustSize();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_SPACE:
          FFocusedButton->Click();
          return 0;
        case VK_UP:
          SetFocusBtn(FUpButton);
          FUpButton.Click();
          return 0;
        case VK_DOWN:
          SetFocusBtn(FDownButton);
          FDownButton.Click();
          return 0;
      }
      break;
    case WM_SETFOCUS:
      FFocusedButton->SetShowFocusRect(true);
      return 0;
    case WM_KILLFOCUS:
      FFocusedButton->SetShowFocusRect(false);
      return 0;
    case WM_ENABLE:
      ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
      break;
  }
  return DefaultHandler(message, wParam, lParam);
}

// ---------------------------------------------------------------- spin edit

TSpinEdit::TSpinEdit(rtl::TControlParent& form, int left, int top, int width, int height)
    // Multi-line, or the edit ignores the formatting rectangle that keeps
    // the text clear of the buttons; clipping keeps it off them too.
    : TSubclassedEdit(form, left, top, width, height,
                      WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE) {
  SetText("0");
  FButton.reset(new TSpinButton(FHandle, 0, 0, 15, 17));
  FButton->SetFocusControl(FHandle);
  FButton->OnUpClick = [this] { StepUp(); };
  FButton->OnDownClick = [this] { StepDown(); };
  if (FAutoSize) AdjustHeight();
  Resized();
}

TSpinEdit::~TSpinEdit() {
  // The button's window is a child of ours: it goes first, while this
  // object is whole.
  FButton.reset();
}

int TSpinEdit::CheckValue(int value) const { return ClampSpinValue(value, FMinValue, FMaxValue); }

int TSpinEdit::Value() const { return SpinValueOfText(Text(), FMinValue); }

void TSpinEdit::SetValue(int value) { SetText(std::to_string(CheckValue(value))); }

void TSpinEdit::StepUp() {
  if (ReadOnly()) {
    Beep();
    return;
  }
  SetValue(StepSpinValue(Value(), FIncrement, FMinValue, FMaxValue));
}

void TSpinEdit::StepDown() {
  if (ReadOnly()) {
    Beep();
    return;
  }
  // Negated in 64 bits: -INT_MIN does not fit an int.
  SetValue(StepSpinValue(Value(), -static_cast<std::int64_t>(FIncrement), FMinValue, FMaxValue));
}

bool TSpinEdit::AcceptsChar(char key) const {
  return SpinAcceptsChar(key, DecimalSeparator(), EditorEnabled);
}

void TSpinEdit::Beep() { ::MessageBeep(0); }

void TSpinEdit::SetAutoSize(bool autoSize) {
  if (autoSize == FAutoSize) return;
  FAutoSize = autoSize;
  if (FAutoSize) AdjustHeight();
}

void TSpinEdit::SetFontColor(COLORREF color) {
  FFontColor = color;
  ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TSpinEdit::Notify(WORD code) {
  if (code == EN_CHANGE && FSettingText) FChangeNotified = true;
  TSubclassedEdit::Notify(code);
}

HBRUSH TSpinEdit::ControlColor(HDC dc) {
  HBRUSH brush = TEdit::ControlColor(dc);
  if (FFontColor != CLR_INVALID) ::SetTextColor(dc, FFontColor);
  return brush;
}

int TSpinEdit::Width() const { return WindowWidth(FHandle); }
int TSpinEdit::Height() const { return WindowHeight(FHandle); }

namespace {
struct FontHeights {
  int System = 0;
  int Control = 0;
};

FontHeights MeasureFonts(HWND window) {
  FontHeights heights;
  rtl::WindowDC screen(nullptr);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(screen.Get(), &metrics);
  heights.System = metrics.tmHeight;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0));
  rtl::Selection selected(screen.Get(), font ? font : ::GetStockObject(SYSTEM_FONT));
  ::GetTextMetricsA(screen.Get(), &metrics);
  heights.Control = metrics.tmHeight;
  return heights;
}
}  // namespace

int TSpinEdit::MinHeight() const {
  const FontHeights heights = MeasureFonts(FHandle);
  return SpinMinHeight(heights.System, heights.Control, ::GetSystemMetrics(SM_CYBORDER));
}

void TSpinEdit::AdjustHeight() {
  const FontHeights heights = MeasureFonts(FHandle);
  ::SetWindowPos(FHandle, nullptr, 0, 0, Width(),
                 SpinAutoHeight(heights.Control, ::GetSystemMetrics(SM_CYBORDER)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSpinEdit::Resized() {
  const int minHeight = MinHeight();
  if (Height() < minHeight && !FRaisingHeight) {
    // The new size comes back here through WM_SIZE.
    FRaisingHeight = true;
    ::SetWindowPos(FHandle, nullptr, 0, 0, Width(), minHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    FRaisingHeight = false;
    return;
  }
  if (!FButton) return;
  const SpinRect place = SpinButtonPlace(Width(), Height(), FButton->Width(), true);
  FButton->SetBounds(place.Left, place.Top, place.Width(), place.Height());
  SetEditRect();
}

void TSpinEdit::SetEditRect() {
  RECT client;
  ::GetClientRect(FHandle, &client);
  const SpinRect f = SpinFormatRect(client.right, client.bottom, FButton->Width());
  RECT r = {f.Left, f.Top, f.Right, f.Bottom};
  ::SendMessageA(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  ::InvalidateRect(FHandle, nullptr, TRUE);
}

LRESULT TSpinEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_UP) StepUp();
      else if (wParam == VK_DOWN) StepDown();
      // Delete is typing too; Shift+Delete arrives as WM_CUT.
      else if (wParam == VK_DELETE && !EditorEnabled && !(::GetKeyState(VK_SHIFT) < 0)) return 0;
      break;
    case WM_CHAR: {
      const char key = static_cast<char>(wParam);
      if (!AcceptsChar(key)) {
        Beep();
        return 0;
      }
      // Accepted, but a multi-line window would put them into the text as
      // a tab or a line break; the dialog manager moves the focus on Tab.
      if (key == '\t' || key == '\n') return 0;
      break;
    }
    case WM_PASTE:
    case WM_CUT:
      if (!EditorEnabled || ReadOnly()) return 0;
      break;
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      // Delete and Undo of the context menu edit the text as typing does.
      if (!EditorEnabled) return 0;
      break;
    case WM_GETDLGCODE: {
      // A multi-line edit asks for Tab, Enter and Escape; this one is a
      // single line, so those stay with the dialog (default button, Cancel).
      LRESULT code = DefaultHandler(message, wParam, lParam);
      code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
      if (!AutoSelect) code &= ~DLGC_HASSETSEL;
      return code | DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      FLButtonDown = true;
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      FLButtonDown = false;
      return result;
    }
    case WM_SETFOCUS: {
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      if (AutoSelect && !FLButtonDown) SelectAll();
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      const int value = Value();
      if (CheckValue(value) != value) SetValue(value);
      return result;
    }
    case WM_SIZE: {
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      Resized();
      return result;
    }
    case WM_SETFONT: {
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      if (FAutoSize) AdjustHeight();
      return result;
    }
    case WM_SETTEXT: {
      // A multi-line edit reports no change for a text set by the program;
      // the value written by the buttons and the program is a change all
      // the same. Some systems may report it after all: once is enough.
      FSettingText = true;
      FChangeNotified = false;
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      FSettingText = false;
      if (result && !FChangeNotified) Notify(EN_CHANGE);
      return result;
    }
    case WM_ENABLE: {
      const LRESULT result = DefaultHandler(message, wParam, lParam);
      ::RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return result;
    }
  }
  return DefaultHandler(message, wParam, lParam);
}

}  // namespace ui
