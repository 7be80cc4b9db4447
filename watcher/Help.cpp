#include "watcher/Help.h"

#include <shellapi.h>

#include "common/Lang.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Shell.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/core/RunEntry.h"

std::string HelpTopic() { return ChooseText("hlp_index_e", "hlp_index"); }

namespace {

// WinHelp works up to Windows XP; later systems only carry a stub that
// offers a download.
bool SystemHasWinHelp() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return ::GetVersionExA(&info) && info.dwMajorVersion < 6;
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : path;
}

}  // namespace

void OpenHelpTopic(HWND owner, const std::string& topic) {
  const std::string folder = rtl::ExtractFilePath(rtl::ExecutablePath());
  const std::string winHelpFile = folder + "Orvandel.hlp";
  if (rtl::FileExists(winHelpFile) && SystemHasWinHelp()) {
    const std::string jump = "JI(`',`" + topic + "')";
    ::WinHelpA(owner, winHelpFile.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>(jump.c_str()));
    return;
  }
  // The viewer runs as a program of its own (hh.exe, in the Windows folder
  // of every Windows since 98): the tray program loads no browser engine,
  // and nothing of the viewer's stays behind in it. The short path needs no
  // quotes, which the viewer's command line does not take apart.
  const std::string chm = ShortPath(folder + "Orvandel.chm");
  const std::string viewer = JoinFolder(rtl::WindowsFolder(), "hh.exe");
  const std::string argument = chm + "::/" + topic + ".htm";
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(owner, "open", viewer.c_str(), argument.c_str(), nullptr, SW_SHOWNORMAL));
  if (result <= 32)
    throw rtl::Exception(rtl::Format("The help viewer %s could not be started (%d)", viewer.c_str(),
                                     static_cast<int>(result)));
}
