// Test-environment helper for Wine: holds the desktop open while tests and
// benchmarks run. Wine closes its desktop (and its explorer process) about a
// second after the last program with a window has ended, and the next such
// program then waits for a new one: 0.2 s each time, and up to 10 s when the
// new explorer cannot start. Windows keeps its desktop for the session; with
// this helper running, Wine does too. Ends after the hours given (default 3),
// or when the Wine server is stopped. With 0 it makes its window and ends at
// once: the benchmarks time that as the start cost of a windowed program.

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const long hours = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3;
  HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!window) return 1;
  if (hours == 0) return ::DestroyWindow(window) ? 0 : 1;
  const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(hours > 0 ? hours : 3) * 3600 * 1000;
  for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now > 60000 ? 60000 : end - now),
                                QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 0;
      ::DispatchMessageA(&msg);
    }
  }
  ::DestroyWindow(window);
  return 0;
}
