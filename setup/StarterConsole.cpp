#include "setup/StarterConsole.h"

#include <windows.h>

#include <vector>

#include "rtl/win32/Handles.h"

namespace {

// One line, whatever line breaks the text holds.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  return line;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// A console shows wide text as it is; its own code page may not be this
// program's (an OEM one, say), and changing it would change the starter's.
bool WriteConsoleText(HANDLE console, const std::string& text) {
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  // Not std::wstring: its library code would grow every installer by a
  // third.
  std::vector<wchar_t> line(static_cast<size_t>(wide > 0 ? wide : 0));
  if (wide > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), line.data(), wide);
  DWORD written = 0;
  return ::WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != 0;
}

}  // namespace

void TellStarter(const std::string& Text) {
  const std::string line = OneLine(Text) + "\r\n";
  const HANDLE handed = ::GetStdHandle(STD_ERROR_HANDLE);
  if (handed && handed != INVALID_HANDLE_VALUE) {
    const DWORD type = ::GetFileType(handed);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
      WriteAll(handed, line);
      return;
    }
  }
  // A program with a window starts without a console on Windows; Wine
  // gives it its starter's, and then attaching is refused as already done.
  const bool attached = ::AttachConsole(ATTACH_PARENT_PROCESS);
  if (!attached && ::GetLastError() != ERROR_ACCESS_DENIED) return;  // no console: nobody to tell
  {
    rtl::FileHandleW console(::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (console.Get() != INVALID_HANDLE_VALUE) WriteConsoleText(console.Get(), line);
  }
  if (attached) ::FreeConsole();
}
