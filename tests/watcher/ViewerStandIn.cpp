// Stands in for the HTML Help viewer in tests: writes the command line it
// was started with to "orv-viewer-args.txt" in the temporary folder.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH + 32] = {};
  const DWORD n = ::GetTempPathA(MAX_PATH, path);
  if (n == 0 || n >= MAX_PATH) return 1;
  lstrcatA(path, "orv-viewer-args.txt");
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* line = ::GetCommandLineA();
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  ::CloseHandle(file);
  return 0;
}
