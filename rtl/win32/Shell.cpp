#include "rtl/win32/Shell.h"

#include <shellapi.h>

namespace rtl {

bool ShellOpen(HWND owner, const std::string& file, const std::string& directory, int show) {
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteA(
      owner, "open", file.c_str(), nullptr, directory.empty() ? nullptr : directory.c_str(), show));
  return result > 32;
}

}  // namespace rtl
