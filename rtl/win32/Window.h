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

protected:
  // Registers ClassName once per process (with this thunk) and creates the
  // window. Raises rtl::Exception when either fails.
  void CreateHandle(const char* className, const std::string& caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND parent,
                    HMENU menu = nullptr, UINT classStyle = CS_DBLCLKS,
                    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

private:
  static LRESULT CALLBACK Thunk(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
};

HINSTANCE ModuleInstance();

}  // namespace rtl
