#pragma once
// Forms: top-level windows that own components and child controls, with the
// UI library's font, centring, modal loop and close handling.

#include <windows.h>

#include <string>
#include <vector>

#include "rtl/core/Component.h"
#include "rtl/win32/Controls.h"
#include "rtl/win32/Handles.h"
#include "rtl/win32/Window.h"

namespace rtl {

class TForm : public TComponent, public TWindow, public TControlParent {
public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void Show();
  void Hide();
  bool Visible() const { return HandleAllocated() && ::IsWindowVisible(Handle()); }
  // Shows the form modally over the active window; returns the modal result.
  int ShowModal();
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int result) override { FModalResult = result; }
  // Asks the form to close, as the system menu's Close does.
  void Close();
  void CenterOnScreen();
  void CenterOver(HWND other);

  // The control that has the keyboard focus while the form is active, and
  // gets it back when the form is activated again (after a message box, a
  // modal dialog or another program); before the first showing, the first
  // control in tab order.
  HWND ActiveControl() const;
  void SetActiveControl(HWND control) override { FActiveControl = control; }

  // The form's font (MS Sans Serif 8 pt); controls take it.
  HFONT FontHandle() const override { return FFont.Get(); }
  int RegisterControl(TControl* control) override;
  void UnregisterControl(TControl* control) override;
  HWND ParentHandle() const override { return Handle(); }
  // Enter presses this button.
  TButton* DefaultButton = nullptr;
  void SetDefaultButton(TButton* button) override { DefaultButton = button; }
  // Closing the main form ends the message loop.
  bool IsMainForm = false;
  // The system colour (COLOR_*) of the form's face, which labels and boxes
  // on it take as their background.
  int ColorIndex() const override { return FColorIndex; }

protected:
  // Creates the window: a fixed dialog frame sized so that the client area
  // is ClientWidth x ClientHeight.
  void CreateFormWindow(const char* className, int clientWidth, int clientHeight, DWORD style,
                        DWORD exStyle, HWND owner, int colorIndex = COLOR_BTNFACE);
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Runs at every showing, before the window becomes visible.
  virtual void FormShow() {}
  virtual void FormClose() {}
  // ShortCut (TWindow): a key pressed anywhere in the form (the form's
  // shortcuts, F1).

private:
  TControl* ControlOf(HWND handle) const;
  // The remembered control if it can take the focus, else the first tab stop.
  HWND FocusTarget() const;

  Font FFont;
  std::vector<TControl*> FControls;
  int FNextID = 100;
  int FModalResult = mrNone;
  bool FInModalLoop = false;
  HWND FActiveControl = nullptr;
  int FColorIndex = COLOR_BTNFACE;
};

}  // namespace rtl
