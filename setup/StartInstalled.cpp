#include "setup/StartInstalled.h"

#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/win32/Handles.h"
#include "rtl/win32/Shell.h"
#include "rtl/win32/SystemFiles.h"
#include "setup/core/InstallCopy.h"

namespace {

bool StartProcess(const std::string& program, const std::string& commandLine, const std::string& folder,
                  std::string& reason) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!::CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    reason = rtl::FileErrorText(static_cast<int>(::GetLastError()));
    return false;
  }
  // Started programs are not waited for.
  rtl::KernelHandle thread(process.hThread), started(process.hProcess);
  return true;
}

}  // namespace

bool HasMoreRightsThanUsersPrograms() {
  rtl::KernelHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  // Systems without elevation do not know the question: no more rights.
  if (!::GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof type, &size)) return false;
  return type == TokenElevationTypeFull;
}

bool OpenReadme(const std::string& FileName, std::string& Reason) {
  if (!HasMoreRightsThanUsersPrograms()) return rtl::ShellOpen(nullptr, FileName, "", SW_SHOW);
  const std::string notepad = rtl::SystemFolder() + "\\notepad.exe";
  return StartProcess(notepad, "notepad.exe \"" + FileName + "\"", "", Reason);
}

StartOutcome StartInstalled(HWND Owner, const std::string& Folder, const std::string& Name, rtl::TStream& Installed,
                            std::string& Reason) {
  const std::string path = Folder + Name;
  rtl::FileHandle held(rtl::FileOpenReadLocked(path));
  if (!held.Valid() || !FileHoldsStream(held.Get(), Installed)) return StartOutcome::Changed;
  if (!HasMoreRightsThanUsersPrograms())
    return rtl::ShellOpen(Owner, path, Folder, SW_SHOW) ? StartOutcome::Started : StartOutcome::Failed;
  if (Name.size() < 4 || !rtl::SameText(Name.substr(Name.size() - 4), ".exe")) return StartOutcome::NotAProgram;
  return StartProcess(path, "\"" + path + "\"", Folder, Reason) ? StartOutcome::Started : StartOutcome::Failed;
}
