// The folder browser, in a file of its own: freeing its answer needs
// ole32, which a program that never browses should not load at start.

#include <shlobj.h>

#include "rtl/win32/Shell.h"

namespace rtl {

std::string BrowseForFolder(HWND owner, const std::string& title) {
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
  if (!chosen) return std::string();
  char path[MAX_PATH] = {};
  const BOOL ok = ::SHGetPathFromIDListA(chosen, path);
  ::CoTaskMemFree(chosen);
  return ok ? std::string(path) : std::string();
}

}  // namespace rtl
