#include "rtl/win32/HiddenWindow.h"

namespace rtl {

THiddenWindow::THiddenWindow(const char* className, UINT first, UINT last, THandler handler)
    : FFirst(first), FLast(last), FHandler(std::move(handler)) {
  CreateHandle(className, "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, HWND_MESSAGE, nullptr, 0, nullptr);
}

THiddenWindow::THiddenWindow(const char* className, const std::string& caption) {
  CreateHandle(className, caption, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
               WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
}

LRESULT THiddenWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Own(message) || !FHandler) return DefaultHandler(message, wParam, lParam);
  // A copy: the handler may destroy its component, and with it this window;
  // nothing of the window is touched afterwards.
  const THandler handler = FHandler;
  return handler(message, wParam, lParam);
}

}  // namespace rtl
