#include "tools/driver/SetupDriver.h"

#include <stdexcept>
#include <vector>

SetupProcess::SetupProcess(const std::string& exe, const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  if (!::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &FInfo))
    throw std::runtime_error("cannot start " + exe);
}

SetupProcess::~SetupProcess() {
  if (FInfo.hProcess) {
    if (::WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(FInfo.hProcess, 99);
      ::WaitForSingleObject(FInfo.hProcess, 5000);
    }
    ::CloseHandle(FInfo.hProcess);
    ::CloseHandle(FInfo.hThread);
  }
}

HWND SetupProcess::WaitForWindow(const char* className, DWORD timeout) {
  const DWORD start = ::GetTickCount();
  do {
    const HWND found = FindProcessWindow(FInfo.dwProcessId, className, true);
    if (found) return found;
    // Often enough that a benchmark reading the moment the window came
    // is off by a few milliseconds at most.
    if (::WaitForSingleObject(FInfo.hProcess, 5) == WAIT_OBJECT_0) return nullptr;
  } while (::GetTickCount() - start < timeout);
  return nullptr;
}

HWND SetupProcess::MainWindow(DWORD timeout) {
  if (!FMain) FMain = WaitForWindow("TMain", timeout);
  return FMain;
}

bool SetupProcess::WaitForExit(DWORD timeout) {
  return ::WaitForSingleObject(FInfo.hProcess, timeout) == WAIT_OBJECT_0;
}

DWORD SetupProcess::ExitCode() {
  DWORD code = 0;
  ::GetExitCodeProcess(FInfo.hProcess, &code);
  return code;
}

HWND SetupProcess::Control(int id) { return ::GetDlgItem(MainWindow(), id); }

HWND SetupProcess::Focus() {
  // The focus belongs to the installer's thread; only this call sees it from
  // another process.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(FInfo.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

bool SetupProcess::WaitForFocus(HWND window, DWORD timeout) {
  const DWORD start = ::GetTickCount();
  do {
    if (Focus() == window) return true;
    ::Sleep(25);
  } while (::GetTickCount() - start < timeout);
  return false;
}

void SetupProcess::Click(HWND window, int id) {
  ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

void Answer(HWND dialog, int buttonId) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
  for (int i = 0; i < 200 && ::IsWindowVisible(dialog); ++i) ::Sleep(25);
}

DWORD RunAndWait(const std::string& commandLine, DWORD timeout, const std::string& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = commandLine;
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
    throw std::runtime_error("cannot run " + commandLine);
  DWORD code = 9999;
  if (::WaitForSingleObject(info.hProcess, timeout) == WAIT_OBJECT_0) ::GetExitCodeProcess(info.hProcess, &code);
  else ::TerminateProcess(info.hProcess, 9999);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
  return code;
}

DWORD RunAndWait(const std::string& commandLine, std::string& errors, DWORD timeout) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw std::runtime_error("cannot make a pipe");
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info{};
  std::string command = commandLine;
  const BOOL started =
      ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  ::CloseHandle(writeEnd);
  if (!started) {
    ::CloseHandle(readEnd);
    throw std::runtime_error("cannot run " + commandLine);
  }
  // The pipe ends when the program and whatever inherited it have ended;
  // the wait for the program bounds it.
  DWORD code = 9999;
  if (::WaitForSingleObject(info.hProcess, timeout) == WAIT_OBJECT_0) ::GetExitCodeProcess(info.hProcess, &code);
  else ::TerminateProcess(info.hProcess, 9999);
  errors.clear();
  char buffer[4096];
  DWORD got = 0, available = 0;
  while (::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
         ::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
    errors.append(buffer, got);
  ::CloseHandle(readEnd);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
  return code;
}
