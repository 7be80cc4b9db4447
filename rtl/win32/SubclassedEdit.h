#pragma once
// An edit control with a window procedure of our own in front of the
// system's. The window class is a copy of "EDIT" with our thunk, so the
// object is stored at WM_NCCREATE and sees every message from the first
// one; what it does not handle goes on to the system's edit procedure.
//
// A derived class must not be destroyed while its window lives on: this
// class destroys the window in its own destructor, while its dispatch is
// still valid, and from then on messages reach only the system procedure.

#include <windows.h>

#include "rtl/win32/Controls.h"

namespace rtl {

class TSubclassedEdit : public TEdit {
public:
  ~TSubclassedEdit() override;

  void SelectAll() { ::SendMessageA(FHandle, EM_SETSEL, 0, -1); }
  int MaxLength() const { return FMaxLength; }
  // 0: as long as the system allows.
  void SetMaxLength(int length);

protected:
  // Style and extended style as for CreateWindowEx; WS_CHILD and WS_VISIBLE
  // are added.
  TSubclassedEdit(TControlParent& form, int left, int top, int width, int height, DWORD style, DWORD exStyle);

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

private:
  static LRESULT CALLBACK Thunk(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  static TSubclassedEdit* FromHandle(HWND handle);

  int FMaxLength = 0;
};

}  // namespace rtl
