#include "rtl/win32/Shell.h"

#include <shellapi.h>

#include "rtl/win32/SystemFiles.h"

namespace rtl {

bool ShellOpen(HWND owner, const std::string& file, const std::string& directory, int show) {
  // shell32 is bound here, not imported: the setup runtime opens a file
  // only at the end, and loading the DLL at start delays its check.
  static const auto shellExecute = SystemFunction<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA");
  const auto result = reinterpret_cast<INT_PTR>(
      shellExecute(owner, "open", file.c_str(), nullptr, directory.empty() ? nullptr : directory.c_str(), show));
  return result > 32;
}

}  // namespace rtl
