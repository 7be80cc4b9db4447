#pragma once
// A watcher started in a process of its own and seen from outside: its
// windows (hidden ones too), its end, and what it uses of the machine.

#include <windows.h>

#include <string>

class WatcherProcess {
public:
  // Starts Exe with Arguments (appended to the quoted program path).
  WatcherProcess(const std::string& exe, const std::string& arguments = "");
  // Ends the process if it still runs.
  ~WatcherProcess();
  WatcherProcess(const WatcherProcess&) = delete;
  WatcherProcess& operator=(const WatcherProcess&) = delete;

  // A top-level window of this process with the class, shown or not.
  HWND Find(const char* className, bool visibleOnly = false) const;
  HWND WaitFor(const char* className, bool visibleOnly = true, DWORD timeout = 20000) const;
  bool WaitForExit(DWORD timeout = 20000) const;
  bool Running() const;
  DWORD ExitCode() const;
  DWORD Id() const { return FInfo.dwProcessId; }
  HANDLE Handle() const { return FInfo.hProcess; }

private:
  PROCESS_INFORMATION FInfo{};
};

// What the process uses, as the system reports it to another process.
struct ProcessUsage {
  DWORD Handles = 0;
  SIZE_T PrivateBytes = 0;
  SIZE_T WorkingSet = 0;
  SIZE_T PeakWorkingSet = 0;
  double CpuSeconds = 0;  // user and kernel time together
};

// False when the system refuses one of the figures. Where Wine leaves a
// figure at 0 for another process, it is found by the two below.
bool MeasureProcess(HANDLE process, ProcessUsage& usage);
// The process's entries in the system's handle table.
bool CountHandlesInSystemTable(DWORD processId, DWORD& count);
// The committed private regions of the process's address space.
bool SumCommittedPrivate(HANDLE process, SIZE_T& bytes);
