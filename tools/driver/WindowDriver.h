#pragma once
// Windows of another process, seen from outside: finding them and reading
// and setting their texts. Every call is bounded, also when that process
// hangs.

#include <windows.h>

#include <string>

// A top-level window of the process with the class, or null; with
// VisibleOnly, hidden windows do not count.
HWND FindProcessWindow(DWORD processId, const char* className, bool visibleOnly);

// The window's text; empty when the window does not answer within 5 s.
std::string WindowText(HWND window);
void SetWindowTextTo(HWND window, const std::string& text);
