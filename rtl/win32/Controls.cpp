#include "rtl/win32/Controls.h"

#include <commctrl.h>
#include <shellapi.h>

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/SystemFiles.h"
#include "rtl/win32/Window.h"

namespace rtl {

TControl::TControl(TControlParent& form, const char* className, DWORD style, DWORD exStyle, int left,
                   int top, int width, int height, const std::string& caption)
    : TControl(form) {
  CreateControlHandle(className, style, exStyle, left, top, width, height, caption, nullptr);
}

TControl::TControl(TControlParent& form) : FForm(&form), FID(form.RegisterControl(this)) {}

void TControl::CreateControlHandle(const char* className, DWORD style, DWORD exStyle, int left,
                                   int top, int width, int height, const std::string& caption,
                                   void* createParam) {
  FHandle = ::CreateWindowExA(exStyle, className, caption.c_str(), WS_CHILD | WS_VISIBLE | style,
                              left, top, width, height, FForm->ParentHandle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(FID)),
                              ModuleInstance(), createParam);
  if (!FHandle)
    rtl::Raise(Exception(Format("Control of class \"%s\" cannot be created (%lu)", className,
                                static_cast<unsigned long>(::GetLastError()))));
  ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FForm->FontHandle()), FALSE);
}

TControl::~TControl() {
  FForm->UnregisterControl(this);
  if (FHandle && ::IsWindow(FHandle)) ::DestroyWindow(FHandle);
}

std::string TControl::Caption() const {
  const int length = ::GetWindowTextLengthA(FHandle);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = ::GetWindowTextA(FHandle, &text[0], length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void TControl::SetCaption(const std::string& text) { ::SetWindowTextA(FHandle, text.c_str()); }

bool TControl::Visible() const { return (::GetWindowLongA(FHandle, GWL_STYLE) & WS_VISIBLE) != 0; }
void TControl::SetVisible(bool visible) { ::ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE); }
bool TControl::Enabled() const { return ::IsWindowEnabled(FHandle) != FALSE; }
void TControl::SetEnabled(bool enabled) { ::EnableWindow(FHandle, enabled); }
void TControl::SetFocus() {
  // A form that is not shown yet gives the focus to this control when it is
  // activated. Setting it now would activate the hidden form, unless the
  // form holds the focus already (under Wine a form can, before its first
  // showing): then no activation follows, and the focus must move now.
  FForm->SetActiveControl(FHandle);
  const HWND form = FForm->ParentHandle();
  const HWND focus = ::GetFocus();
  if (::IsWindowVisible(form) || (focus && (focus == form || ::IsChild(form, focus)))) ::SetFocus(FHandle);
}

void TControl::SetTabStop(bool tabStop) {
  const LONG style = ::GetWindowLongA(FHandle, GWL_STYLE);
  ::SetWindowLongA(FHandle, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  ::SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetHint(const std::string& hint) {
  HWND tip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               FForm->ParentHandle(), nullptr, ModuleInstance(), nullptr);
  if (!tip) return;
  TOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = FForm->ParentHandle();
  info.uId = reinterpret_cast<UINT_PTR>(FHandle);
  info.lpszText = const_cast<char*>(hint.c_str());
  ::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void TControl::Notify(WORD code) {
  if ((code == BN_CLICKED || code == STN_CLICKED) && OnClick) OnClick();
}

HBRUSH TControl::ControlColor(HDC) { return nullptr; }

// ---------------------------------------------------------------- label

TLabel::TLabel(TControlParent& form, int left, int top, const std::string& caption)
    : TControl(form, "STATIC", SS_LEFT | SS_NOTIFY, 0, left, top, 1, 1, caption) {
  AutoSize();
}

void TLabel::SetCaption(const std::string& text) {
  TControl::SetCaption(text);
  AutoSize();
}

void TLabel::AutoSize() {
  HDC dc = ::GetDC(FHandle);
  HFONT font = FFont ? FFont.Get() : FForm->FontHandle();
  HGDIOBJ old = ::SelectObject(dc, font);
  RECT r = {0, 0, 0, 0};
  const std::string text = Caption();
  ::DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
  ::SelectObject(dc, old);
  ::ReleaseDC(FHandle, dc);
  ::SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::SetLinkStyle() {
  LOGFONTA lf{};
  ::GetObjectA(FFont ? FFont.Get() : FForm->FontHandle(), sizeof lf, &lf);
  lf.lfUnderline = TRUE;
  FFont.Reset(::CreateFontIndirectA(&lf));
  ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), TRUE);
  FColor = RGB(0, 0, 128);
  HandPoint = true;
  AutoSize();
}

void TLabel::SetBold(bool bold) {
  LOGFONTA lf{};
  ::GetObjectA(FFont ? FFont.Get() : FForm->FontHandle(), sizeof lf, &lf);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  FFont.Reset(::CreateFontIndirectA(&lf));
  ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), TRUE);
  AutoSize();
}

bool TLabel::Bold() const {
  LOGFONTA lf{};
  ::GetObjectA(FFont ? FFont.Get() : FForm->FontHandle(), sizeof lf, &lf);
  return lf.lfWeight >= FW_BOLD;
}

void TLabel::SetFont(int pixelHeight, bool bold) {
  LOGFONTA lf{};
  ::GetObjectA(FForm->FontHandle(), sizeof lf, &lf);
  lf.lfHeight = -pixelHeight;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  FFont.Reset(::CreateFontIndirectA(&lf));
  ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), TRUE);
  AutoSize();
}

HBRUSH TLabel::ControlColor(HDC dc) {
  if (FColor == CLR_INVALID) return nullptr;
  ::SetTextColor(dc, FColor);
  ::SetBkColor(dc, ::GetSysColor(FForm->ColorIndex()));
  return ::GetSysColorBrush(FForm->ColorIndex());
}

// ---------------------------------------------------------------- edit

TEdit::TEdit(TControlParent& form, int left, int top, int width, int height)
    : TControl(form, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, left, top, width, height, "") {}

bool TEdit::ReadOnly() const { return (::GetWindowLongA(FHandle, GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::SetReadOnly(bool readOnly) {
  ::SendMessageA(FHandle, EM_SETREADONLY, readOnly, 0);
  ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TEdit::SetPasswordChar(char c) {
  ::SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
  ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TEdit::Notify(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange();
  if (code == EN_KILLFOCUS && OnExit) OnExit();
}

HBRUSH TEdit::ControlColor(HDC dc) {
  // Read-only edits ask with WM_CTLCOLORSTATIC; the default there is the
  // button face already, and a writable edit stays white.
  if (!ButtonFaceColor) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    return ::GetSysColorBrush(COLOR_WINDOW);
  }
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

// ---------------------------------------------------------------- memo

TMemo::TMemo(TControlParent& form, int left, int top, int width, int height)
    : TControl(form, "EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, left, top, width, height, "") {}

void TMemo::AddLine(const std::string& line) {
  std::string text = Caption();
  if (!text.empty()) text += "\r\n";
  SetCaption(text + line);
}

HBRUSH TMemo::ControlColor(HDC dc) {
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

// ---------------------------------------------------------------- check box

TCheckBox::TCheckBox(TControlParent& form, int left, int top, int width, int height, const std::string& caption)
    : TControl(form, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, left, top, width, height, caption) {}

bool TCheckBox::Checked() const { return ::SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void TCheckBox::SetChecked(bool checked) {
  ::SendMessageA(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetCheckedAndClick(bool checked) {
  if (Checked() == checked) return;
  SetChecked(checked);
  if (OnClick) OnClick();
}

void TCheckBox::SetStrikeOut(bool strikeOut) {
  LOGFONTA lf{};
  ::GetObjectA(FForm->FontHandle(), sizeof lf, &lf);
  lf.lfStrikeOut = strikeOut;
  FFont.Reset(::CreateFontIndirectA(&lf));
  ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), TRUE);
}

// ---------------------------------------------------------------- buttons

TButton::TButton(TControlParent& form, int left, int top, int width, int height, const std::string& caption,
                 bool isDefault, LPCSTR glyph)
    : TControl(form, "BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, left, top,
               width, height, caption) {
  if (isDefault) form.SetDefaultButton(this);
  if (glyph) {
    // Shared icons from the program's resources need no owner: the system
    // keeps them as long as the module.
    HANDLE icon = ::LoadImageA(ModuleInstance(), glyph, IMAGE_ICON, 16, 16, LR_SHARED);
    if (icon) ::SendMessageA(FHandle, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }
}

void TButton::Notify(WORD code) {
  if (code != BN_CLICKED) return;
  if (ModalResult != mrNone) Form().SetModalResult(ModalResult);
  if (OnClick) OnClick();
}

TSpeedButton::TSpeedButton(TControlParent& form, int left, int top, int width, int height)
    : TButton(form, left, top, width, height, "") {
  ::SetWindowLongA(FHandle, GWL_STYLE, (::GetWindowLongA(FHandle, GWL_STYLE) & ~WS_TABSTOP) | BS_ICON | BS_FLAT);
  // The shell's closed-folder icon, small; without it the button says
  // "...". shell32 is bound here, not imported (see ShellOpen).
  static const auto extract = BoundFunction<decltype(&::ExtractIconExA)>(LoadSystemLibrary("shell32.dll"), "ExtractIconExA");
  HICON folder = nullptr;
  if (extract) extract("shell32.dll", 3, nullptr, &folder, 1);
  FGlyph.Reset(folder);
  if (FGlyph) {
    ::SendMessageA(FHandle, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(FGlyph.Get()));
  } else {
    SetCaption("...");
  }
}

// ---------------------------------------------------------------- bevel

TBevel::TBevel(TControlParent& form, int left, int top, int width, int height, Shape shape, bool raised)
    : TControl(form, "STATIC", shape == Shape::TopLine ? SS_ETCHEDHORZ : SS_ETCHEDFRAME,
               raised ? WS_EX_DLGMODALFRAME : 0, left, top, width,
               shape == Shape::TopLine ? 2 : height, "") {}

// ---------------------------------------------------------------- image

TImage::TImage(TControlParent& form, int left, int top, int width, int height)
    : TControl(form, "STATIC", SS_NOTIFY | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0, left, top, width, height, "") {}

void TImage::SetIcon(LPCSTR resource) {
  FIcon.Reset(static_cast<HICON>(::LoadImageA(ModuleInstance(), resource, IMAGE_ICON, 32, 32, 0)));
  ::SetWindowLongA(FHandle, GWL_STYLE, (::GetWindowLongA(FHandle, GWL_STYLE) & ~SS_TYPEMASK) | SS_ICON);
  ::SendMessageA(FHandle, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(FIcon.Get()));
}

void TImage::SetIconHandle(HICON icon) {
  FIcon.Reset(icon ? ::CopyIcon(icon) : nullptr);
  ::SetWindowLongA(FHandle, GWL_STYLE, (::GetWindowLongA(FHandle, GWL_STYLE) & ~SS_TYPEMASK) | SS_ICON);
  ::SendMessageA(FHandle, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(FIcon.Get()));
}

void TImage::SetBitmap(LPCSTR resource) {
  FBitmap.Reset(static_cast<HBITMAP>(
      ::LoadImageA(ModuleInstance(), resource, IMAGE_BITMAP, 0, 0, LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS)));
  ::SetWindowLongA(FHandle, GWL_STYLE, (::GetWindowLongA(FHandle, GWL_STYLE) & ~SS_TYPEMASK) | SS_BITMAP);
  ::SendMessageA(FHandle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FBitmap.Get()));
}

}  // namespace rtl
