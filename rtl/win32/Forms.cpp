#include "rtl/win32/Forms.h"

#include <algorithm>

#include "rtl/win32/Application.h"
#include "rtl/win32/Controls.h"

namespace rtl {

namespace {
HFONT MakeDialogFont() {
  // MS Sans Serif 8 pt at the screen's resolution; the system substitutes a
  // similar face where the bitmap font is missing.
  HDC screen = ::GetDC(nullptr);
  const int height = -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
  ::ReleaseDC(nullptr, screen);
  return ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
}
}  // namespace

TForm::TForm(TComponent* owner) : TComponent(owner), FFont(MakeDialogFont()) {}

TForm::~TForm() {
  // Child windows go with the form's window; the control objects are
  // members of the derived form and are gone already.
  DestroyHandle();
}

void TForm::CreateFormWindow(const char* className, int clientWidth, int clientHeight, DWORD style,
                             DWORD exStyle, HWND owner, int colorIndex) {
  FColorIndex = colorIndex;
  RECT r = {0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  CreateHandle(className, "", style, exStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
               r.bottom - r.top, owner, nullptr, CS_DBLCLKS, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colorIndex + 1)));
  ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
}

std::string TForm::Caption() const {
  char buffer[512] = {};
  if (HandleAllocated()) ::GetWindowTextA(Handle(), buffer, sizeof buffer);
  return buffer;
}

void TForm::SetCaption(const std::string& caption) { ::SetWindowTextA(Handle(), caption.c_str()); }

void TForm::Show() {
  if (!::IsWindowVisible(Handle())) FormShow();
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
}

void TForm::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

int TForm::ShowModal() {
  HWND owner = ::GetActiveWindow();
  if (owner == Handle()) owner = nullptr;
  if (owner) ::EnableWindow(owner, FALSE);
  FModalResult = mrNone;
  FInModalLoop = true;
  Show();
  ::SetForegroundWindow(Handle());

  MSG msg;
  while (FModalResult == mrNone && HandleAllocated()) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // Leave the quit request for the outer loop.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      FModalResult = mrCancel;
      break;
    }
    if (::IsDialogMessageA(Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  FInModalLoop = false;
  if (owner) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
  if (HandleAllocated()) Hide();
  return FModalResult;
}

void TForm::Close() { ::SendMessageA(Handle(), WM_CLOSE, 0, 0); }

// Centring moves a window and nothing more: a window made hidden at start
// must not become the active one (it would take the activation from the
// user's program, and start the input method's machinery early).
void TForm::CenterOnScreen() {
  RECT r;
  ::GetWindowRect(Handle(), &r);
  RECT work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int w = r.right - r.left, h = r.bottom - r.top;
  ::SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CenterOver(HWND other) {
  if (!other) return CenterOnScreen();
  RECT r, o;
  ::GetWindowRect(Handle(), &r);
  ::GetWindowRect(other, &o);
  const int w = r.right - r.left, h = r.bottom - r.top;
  ::SetWindowPos(Handle(), nullptr, o.left + (o.right - o.left - w) / 2, o.top + (o.bottom - o.top - h) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TForm::ActiveControl() const {
  if (::IsWindowVisible(Handle())) {
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(Handle(), focus)) return focus;
  }
  return FocusTarget();
}

HWND TForm::FocusTarget() const {
  const auto takesFocus = [](HWND control, LONG need) {
    return (::GetWindowLongA(control, GWL_STYLE) & (need | WS_VISIBLE | WS_DISABLED)) == (need | WS_VISIBLE);
  };
  if (FActiveControl && ::IsChild(Handle(), FActiveControl) && takesFocus(FActiveControl, 0)) return FActiveControl;
  // The first tab stop, judged by the controls' own styles, so that the
  // answer is the same before the form is shown as after.
  for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    if (takesFocus(child, WS_TABSTOP)) return child;
  return nullptr;
}

int TForm::RegisterControl(TControl* control) {
  FControls.push_back(control);
  return FNextID++;
}

void TForm::UnregisterControl(TControl* control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  if (DefaultButton == static_cast<void*>(control)) DefaultButton = nullptr;
}

TControl* TForm::ControlOf(HWND handle) const {
  for (TControl* c : FControls)
    if (c->Handle() == handle) return c;
  return nullptr;
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      if (TControl* control = ControlOf(reinterpret_cast<HWND>(lParam))) {
        control->Notify(HIWORD(wParam));
        return 0;
      }
      // Enter and Escape from IsDialogMessage.
      if (LOWORD(wParam) == IDOK && DefaultButton && ::IsWindowEnabled(DefaultButton->Handle())) {
        DefaultButton->Notify(BN_CLICKED);
        return 0;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        if (FInModalLoop) FModalResult = mrCancel;
        return 0;
      }
      break;
    }
    case DM_GETDEFID:
      if (DefaultButton) return MAKELRESULT(::GetDlgCtrlID(DefaultButton->Handle()), DC_HASDEFID);
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (TControl* control = ControlOf(reinterpret_cast<HWND>(lParam)))
        if (HBRUSH brush = control->ControlColor(reinterpret_cast<HDC>(wParam)))
          return reinterpret_cast<LRESULT>(brush);
      if (message == WM_CTLCOLORSTATIC && FColorIndex != COLOR_BTNFACE) {
        // Labels, boxes and check boxes stand on the form's own face.
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(FColorIndex));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(FColorIndex));
      }
      break;
    case WM_SETCURSOR:
      if (TControl* control = ControlOf(reinterpret_cast<HWND>(wParam)))
        if (control->HandPoint) {
          ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
          return TRUE;
        }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        // Still the focus of this form: the newly active window takes it
        // only after this message.
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(Handle(), focus)) FActiveControl = focus;
      } else if (!HIWORD(wParam)) {
        // The default handling gives the focus to the form itself, where
        // no key reaches a control and no caret shows. A focus the form
        // held before it was shown may be stale: the remembered control
        // wins over it.
        if (const HWND control = FocusTarget()) {
          ::SetFocus(control);
          return 0;
        }
      }
      break;
    case WM_CLOSE:
      if (FInModalLoop) {
        FModalResult = mrCancel;
        return 0;
      }
      FormClose();
      if (IsMainForm) {
        DestroyHandle();
        Application().Terminate();
      } else {
        Hide();
      }
      return 0;
  }
  return DefaultHandler(message, wParam, lParam);
}

}  // namespace rtl
