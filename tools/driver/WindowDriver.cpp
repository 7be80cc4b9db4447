#include "tools/driver/WindowDriver.h"

namespace {

struct Search {
  DWORD processId;
  const char* className;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (processId != search->processId || (search->visibleOnly && !::IsWindowVisible(window))) return TRUE;
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A program under test that hangs must fail its test, not stop the driver.
constexpr UINT kAnswerWithin = 5000;

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, bool visibleOnly) {
  // While no window of the class exists anywhere, one call says so; the
  // search by process asks the server about every window, and a driver
  // that polls with it holds up the start of the program it waits for.
  if (!::FindWindowA(className, nullptr)) return nullptr;
  Search search{processId, className, visibleOnly, nullptr};
  ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  char buffer[1024] = {};
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        kAnswerWithin, &ignored);
  return buffer;
}

void SetWindowTextTo(HWND window, const std::string& text) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        kAnswerWithin, &ignored);
}
