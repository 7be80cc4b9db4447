#pragma once
// Drives a running installer from outside, as a user would: finds its
// windows, reads and sets texts, clicks buttons, answers its dialogs.

#include <windows.h>

#include <string>

#include "tools/driver/WindowDriver.h"

class SetupProcess {
public:
  // Arguments follow the program's quoted name on its command line.
  explicit SetupProcess(const std::string& exe, const std::string& arguments = std::string());
  ~SetupProcess();
  SetupProcess(const SetupProcess&) = delete;
  SetupProcess& operator=(const SetupProcess&) = delete;

  // The main window, once it is shown; null after Timeout milliseconds.
  HWND MainWindow(DWORD timeout = 20000);
  // A top-level window of this process with the class, or null.
  HWND WaitForWindow(const char* className, DWORD timeout = 20000);
  bool WaitForExit(DWORD timeout = 20000);
  DWORD ExitCode();
  DWORD ProcessId() const { return FInfo.dwProcessId; }

  HWND Control(int id);
  // The installer's window that has the keyboard focus, or null.
  HWND Focus();
  // Waits until Window has the focus; false after Timeout milliseconds.
  bool WaitForFocus(HWND window, DWORD timeout = 5000);
  // Posts the click, so that a modal dialog it opens does not block us.
  void Click(HWND window, int id);

private:
  PROCESS_INFORMATION FInfo{};
  HWND FMain = nullptr;
};

// Answers a message dialog: clicks the button with the id, waits till gone.
void Answer(HWND dialog, int buttonId);
// Runs a console program to its end, in Folder when one is given; returns
// its exit code.
DWORD RunAndWait(const std::string& commandLine, DWORD timeout = 120000, const std::string& folder = std::string());
// The same, with what the program writes to its standard error in Errors.
DWORD RunAndWait(const std::string& commandLine, std::string& errors, DWORD timeout = 120000);
