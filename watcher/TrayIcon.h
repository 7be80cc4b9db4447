#pragma once
// The tray record: one icon of the settings window, in the first form of the
// system's notification structure (88 bytes in a 32-bit program).

#include <windows.h>

#include <shellapi.h>

#include <string>

class TTrayIcon {
public:
  TTrayIcon();
  // Fills the record; the icon stays the caller's.
  void Fill(HWND window, HICON icon, const std::string& tip);
  // The shell's answers; a failed call changes nothing else.
  bool Add();
  bool Modify();
  // Deletes the icon with the record filled with Icon and an empty tip.
  bool Delete(HICON icon);
  const NOTIFYICONDATAA& Data() const { return FData; }

private:
  NOTIFYICONDATAA FData;
};
