#include "rtl/win32/Window.h"

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/ErrorDisplay.h"

namespace rtl {

namespace {
// Marks our windows, so that FromHandle never misreads another window's
// user data as an object pointer.
const char kObjectProp[] = "OrvWindowObject";
}  // namespace

HINSTANCE ModuleInstance() { return ::GetModuleHandleA(nullptr); }

bool TWindow::DispatchShortCut(const MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  TWindow* window = FromHandle(root);
  return window && ::IsWindowEnabled(root) && window->ShortCut(msg.wParam);
}

TWindow::~TWindow() { DestroyHandle(); }

void TWindow::DestroyHandle() {
  if (FHandle) {
    HWND handle = FHandle;
    ::DestroyWindow(handle);
    FHandle = nullptr;
  }
}

TWindow* TWindow::FromHandle(HWND handle) {
  if (!handle || !::GetPropA(handle, kObjectProp)) return nullptr;
  return reinterpret_cast<TWindow*>(::GetWindowLongPtrA(handle, GWLP_USERDATA));
}

void TWindow::CreateHandle(const char* className, const std::string& caption, DWORD style,
                           DWORD exStyle, int x, int y, int width, int height, HWND parent,
                           HMENU menu, UINT classStyle, HBRUSH background) {
  // Registering first and looking only when the class exists already: a
  // look first would let two threads that make their first window at once
  // both find nothing, and the second registration would fail.
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = classStyle;
  wc.lpfnWndProc = &TWindow::Thunk;
  wc.hInstance = ModuleInstance();
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (!::RegisterClassExA(&wc)) {
    const DWORD error = ::GetLastError();
    WNDCLASSEXA known{};
    known.cbSize = sizeof known;
    // Wine reports the class as existing a moment before the thread that
    // registers it has made it visible to this process: look again, briefly.
    bool found = false;
    for (int look = 0; error == ERROR_CLASS_ALREADY_EXISTS && look < 200 && !found; ++look) {
      found = ::GetClassInfoExA(ModuleInstance(), className, &known) != FALSE;
      if (!found) ::Sleep(1);
    }
    if (!found)
      rtl::Raise(Exception(Format("Window class \"%s\" cannot be registered (%lu)", className,
                                  static_cast<unsigned long>(error))));
    if (known.lpfnWndProc != &TWindow::Thunk)
      rtl::Raise(Exception(Format("Window class \"%s\" belongs to someone else", className)));
  }
  HWND handle = ::CreateWindowExA(exStyle, className, caption.c_str(), style, x, y, width, height,
                                  parent, menu, ModuleInstance(), this);
  if (!handle)
    rtl::Raise(Exception(Format("Window of class \"%s\" cannot be created (%lu)", className,
                                static_cast<unsigned long>(::GetLastError()))));
  FHandle = handle;
}

LRESULT TWindow::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(FHandle, message, wParam, lParam);
}

LRESULT TWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(message, wParam, lParam);
}

LRESULT CALLBACK TWindow::Thunk(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<TWindow*>(create->lpCreateParams);
    if (self) {
      self->FHandle = handle;
      ::SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      ::SetPropA(handle, kObjectProp, reinterpret_cast<HANDLE>(1));
    }
  }
  TWindow* self = FromHandle(handle);
  if (!self) return ::DefWindowProcA(handle, message, wParam, lParam);

  LRESULT result = 0;
#if defined(__cpp_exceptions)
  try {
    result = self->WndProc(message, wParam, lParam);
  } catch (...) {
    ErrorDisplay().HandleException();
    result = 0;
  }
#else
  result = self->WndProc(message, wParam, lParam);
#endif
  if (message == WM_NCDESTROY) {
    ::RemovePropA(handle, kObjectProp);
    ::SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    if (self->FHandle == handle) self->FHandle = nullptr;
  }
  return result;
}

}  // namespace rtl
