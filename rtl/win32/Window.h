#pragma once
// Base of every window that the programs create themselves. One window
// procedure thunk per window class: it stores the object at WM_NCCREATE,
// gives earlier messages to DefWindowProc, clears the pointer at WM_NCDESTROY
// and never lets an exception unwind into user32.

#include <windows.h>

#include <string>

namespace rtl {

class TWindow {
public:
  TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  virtual ~TWindow();

  HWND Handle() const { return FHandle; }
  bool HandleAllocated() const { return FHandle != nullptr; }
  void DestroyHandle();

  // The object behind a window of one of our classes, or nullptr.
  static TWindow* FromHandle(HWND handle);
  // Gives a key press to the top-level window it happened in before the
  // dialog keys are handled; true when that window took it.
  static bool DispatchShortCut(const MSG& msg);

protected:
  // Registers ClassName once per process (with this thunk) and creates the
  // window. Raises rtl::Exception when either fails.
  void CreateHandle(const char* className, const std::string& caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND parent,
                    HMENU menu = nullptr, UINT classStyle = CS_DBLCLKS,
                    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // A key pressed anywhere in this top-level window, its children
  // included: true when the window took it. Forms take their short cuts
  // here; other windows take none.
  virtual bool ShortCut(WPARAM) { return false; }
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

private:
  static LRESULT CALLBACK Thunk(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
};

HINSTANCE ModuleInstance();

}  // namespace rtl
