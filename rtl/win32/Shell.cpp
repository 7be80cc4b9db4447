#include "rtl/win32/Shell.h"

#include <shellapi.h>
#include <shlobj.h>


namespace rtl {

bool ShellOpen(HWND owner, const std::string& file, const std::string& directory, int show) {
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteA(
      owner, "open", file.c_str(), nullptr, directory.empty() ? nullptr : directory.c_str(), show));
  return result > 32;
}

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
