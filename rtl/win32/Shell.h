#pragma once
// The shell services the programs use: opening documents and choosing
// folders. Kept apart from the system files, so that programs without a
// user interface do not load the shell.

#include <windows.h>

#include <string>

#include "rtl/win32/SystemFiles.h"

namespace rtl {

// ShellExecute with the verb "open"; false when the shell refused.
bool ShellOpen(HWND owner, const std::string& file, const std::string& directory, int show);

// The folder browser, file-system folders only; empty when cancelled.
std::string BrowseForFolder(HWND owner, const std::string& title);

}  // namespace rtl
