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
