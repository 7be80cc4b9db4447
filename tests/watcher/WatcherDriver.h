#pragma once
// Drives a running watcher from outside, as a user and the shell would:
// finds its windows (hidden ones too), clicks, answers its questions, and
// plays the shell's tray window to record what the watcher hands it.
//
// Every wait keeps this thread's messages moving: the watcher sends the
// tray window its records synchronously and waits for the answer.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/driver/WindowDriver.h"

// Handles this thread's messages until Done holds or Milliseconds passed.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000);
void PumpFor(DWORD milliseconds);

class WatcherProcess {
public:
  // Starts Exe with Arguments (appended to the quoted program path).
  WatcherProcess(const std::string& exe, const std::string& arguments = "");
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

private:
  PROCESS_INFORMATION FInfo{};
};

bool IsChecked(HWND button);
// Posts a click to a button (push, check or radio), as the mouse gives it.
void Click(HWND button);
// Clicks the button of a question and waits until the question is gone.
bool Answer(HWND dialog, int buttonId);
// Types a character into a menu that is open (its mnemonic chooses an item).
void MenuKey(HWND menu, char key);

// The tray record as the shell received it.
struct TrayRecord {
  DWORD Command;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND Window;
  UINT ID;
  UINT Flags;
  UINT CallbackMessage;
  std::string Tip;
  UINT IconWidth, IconHeight, IconBits;
  std::string IconData;  // the icon's bits as the shell got them
};

// True when the icon has a pixel of this colour (within Tolerance per
// channel), fully opaque.
bool IconHasColour(const TrayRecord& record, int red, int green, int blue, int tolerance = 30);

// A window of the shell's tray class in this process. Created after the
// shell's own, it is the one a tray call finds first.
class TrayRecorder {
public:
  TrayRecorder();
  ~TrayRecorder();
  const std::vector<TrayRecord>& Records() const { return FRecords; }
  size_t Count(DWORD command) const;
  bool WaitForCount(DWORD command, size_t count, DWORD timeout = 20000) const;
  const TrayRecord* Last(DWORD command) const;

private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND FWindow = nullptr;
  std::vector<TrayRecord> FRecords;
};
