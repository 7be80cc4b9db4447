#include "rtl/win32/Application.h"

#include "rtl/win32/HiddenWindow.h"
#include "rtl/win32/Window.h"

namespace rtl {

TApplication::TApplication() = default;
TApplication::~TApplication() = default;

void TApplication::SetTitle(std::string title) {
  FTitle = std::move(title);
  if (FWindow && FWindow->HandleAllocated()) ::SetWindowTextA(FWindow->Handle(), FTitle.c_str());
}

void TApplication::CreateHandle() {
  // Never shown: the forms are the program's visible windows.
  if (!FWindow) FWindow = std::make_unique<THiddenWindow>("TApplication", FTitle);
}

HWND TApplication::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

TApplication& Application() {
  static TApplication application;
  return application;
}

TErrorDisplay& ErrorDisplay() { return Application(); }

void TApplication::Run() {
  MSG msg;
  while (!FTerminated) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      FTerminated = true;
      break;
    }
    HandleMessage(msg);
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      FTerminated = true;
      break;
    }
    HandleMessage(msg);
  }
}

bool TApplication::HandleMessage(MSG& msg) {
  // Exceptions are caught in the window procedures; this catch is only for
  // what a message hook or a timer callback lets through.
#if defined(__cpp_exceptions)
  try {
#endif
    if (msg.message == WM_KEYDOWN && TWindow::DispatchShortCut(msg)) return true;
    HWND active = ::GetActiveWindow();
    if (active && ::IsDialogMessageA(active, &msg)) return true;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
#if defined(__cpp_exceptions)
  } catch (...) {
    HandleException();
  }
#endif
  return true;
}

void TApplication::Terminate() {
  FTerminated = true;
  ::PostQuitMessage(0);
}

TWaitResult WaitForMessages(const std::function<bool()>& done, DWORD milliseconds, TWake wake) {
  // Even a wait for messages looks at Done once a second: a wake-up lost
  // somewhere below would otherwise hold a wait without a limit for good.
  const DWORD kNap = wake == TWake::Polling ? 20 : 1000;
  const DWORD start = ::GetTickCount();
  const auto left = [&]() -> DWORD {
    if (milliseconds == 0) return INFINITE;
    const DWORD elapsed = ::GetTickCount() - start;
    return elapsed >= milliseconds ? 0 : milliseconds - elapsed;
  };
  for (;;) {
    if (done()) return TWaitResult::Done;
    MSG msg;
    // Every message is followed by a look at the clock, so that a flood of
    // them cannot hold the wait past its limit.
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return TWaitResult::Quit;
      }
      Application().HandleMessage(msg);
      if (done()) return TWaitResult::Done;
      if (left() == 0) return TWaitResult::TimedOut;
    }
    const DWORD wait = left();
    if (wait == 0) return TWaitResult::TimedOut;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, wait < kNap ? wait : kNap, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace rtl
