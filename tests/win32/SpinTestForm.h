#pragma once
// A small form with one spin edit and a plain edit to move the focus to,
// shown and active, so that the tests drive real windows. The spin edit
// counts its beeps instead of sounding them.

#include <windows.h>

#include <memory>
#include <string>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"
#include "tests/win32/TestSupport.h"
#include "ui/Spin.h"

class CountingSpinEdit : public ui::TSpinEdit {
public:
  using TSpinEdit::TSpinEdit;
  int Beeps = 0;

protected:
  void Beep() override { ++Beeps; }
};

class SpinTestForm : public rtl::TForm {
public:
  SpinTestForm() : TForm(nullptr) {
    CreateFormWindow("OrvSpinTestForm", 320, 140, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, nullptr);
    SetCaption("Spin test");
    Spin.reset(new CountingSpinEdit(*this, 10, 10, 121, 21));
    Other.reset(new rtl::TEdit(*this, 10, 60, 121, 21));
    CenterOnScreen();
    Show();
    ::SetForegroundWindow(Handle());
    ::SetActiveWindow(Handle());
    Pump(20);
  }
  ~SpinTestForm() override {
    Spin.reset();
    Other.reset();
  }

  // The spin edit with its limits and text, focused on Other first.
  void Prepare(int minValue, int maxValue, const std::string& text) {
    Spin->SetMinValue(minValue);
    Spin->SetMaxValue(maxValue);
    Other->SetFocus();
    Spin->SetText(text);
    Spin->Beeps = 0;
  }

  std::unique_ptr<CountingSpinEdit> Spin;
  std::unique_ptr<rtl::TEdit> Other;
};

// Posts a key press as the keyboard would and handles the messages it
// causes, through the dialog manager as the program's loop does.
inline void PressKey(HWND window, WPARAM key) {
  ::PostMessageA(window, WM_KEYDOWN, key, 1);
  ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
  Pump(10);
}

inline void TypeChar(HWND window, char c) {
  ::PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
  Pump(10);
}

inline LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

// The left mouse button down and up in the middle of Window.
inline void MouseDown(HWND window) {
  RECT r;
  ::GetClientRect(window, &r);
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(r.right / 2, r.bottom / 2));
}

inline void MouseUp(HWND window) {
  RECT r;
  ::GetClientRect(window, &r);
  ::SendMessageA(window, WM_LBUTTONUP, 0, ClientPoint(r.right / 2, r.bottom / 2));
}

inline void ClickMouse(HWND window) {
  MouseDown(window);
  MouseUp(window);
  Pump(10);
}
