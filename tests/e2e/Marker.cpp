// Stands in for the program an installer starts after installing: leaves
// "autostart.marker" in its working folder and ends.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HANDLE file = ::CreateFileA("autostart.marker", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  ::WriteFile(file, "started", 7, &written, nullptr);
  ::CloseHandle(file);
  return 0;
}
