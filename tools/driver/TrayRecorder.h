#pragma once
// Plays the shell's tray window inside this process and records what a
// program hands to Shell_NotifyIconA, as the shell receives it.
//
// The program sends the tray window its records synchronously and waits for
// the answer, so every wait here keeps this thread's messages moving.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Handles this thread's messages until Done holds or Milliseconds passed.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000);
void PumpFor(DWORD milliseconds);

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

// A window of the shell's tray class in this process. Created after the
// shell's own, it is the one a tray call finds first.
class TrayRecorder {
public:
  TrayRecorder();
  ~TrayRecorder();
  TrayRecorder(const TrayRecorder&) = delete;
  TrayRecorder& operator=(const TrayRecorder&) = delete;

  const std::vector<TrayRecord>& Records() const { return FRecords; }
  size_t Count(DWORD command) const;
  bool WaitForCount(DWORD command, size_t count, DWORD timeout = 20000) const;
  const TrayRecord* Last(DWORD command) const;

private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Record(const COPYDATASTRUCT& copy);

  HWND FWindow = nullptr;
  std::vector<TrayRecord> FRecords;
};
