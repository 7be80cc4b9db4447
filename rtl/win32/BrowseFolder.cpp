// The folder browser, in a file of its own. shell32 and ole32 are bound
// when it first opens: a program that never browses does not load them,
// and the setup runtime does not load them at start.

#include <shlobj.h>

#include "rtl/win32/Shell.h"
#include "rtl/win32/SystemFiles.h"

namespace rtl {

std::string BrowseForFolder(HWND owner, const std::string& title) {
  static const auto browse = SystemFunction<decltype(&::SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
  static const auto pathOf = SystemFunction<decltype(&::SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
  static const auto release = SystemFunction<decltype(&::CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = browse(&info);
  if (!chosen) return std::string();
  char path[MAX_PATH] = {};
  const BOOL ok = pathOf(chosen, path);
  release(chosen);
  return ok ? std::string(path) : std::string();
}

}  // namespace rtl
