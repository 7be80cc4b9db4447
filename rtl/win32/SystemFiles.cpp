#include "rtl/win32/SystemFiles.h"

#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/win32/Handles.h"
#include "rtl/win32/Registry.h"

namespace rtl {

std::string WindowsFolder() {
  char buffer[MAX_PATH] = {};
  const UINT n = ::GetWindowsDirectoryA(buffer, MAX_PATH);
  return n && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

std::string SystemFolder() {
  char buffer[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryA(buffer, MAX_PATH);
  return n && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathA(MAX_PATH + 1, buffer);
  return n && n <= MAX_PATH ? std::string(buffer, n) : std::string();
}

std::string ProgramsFolder() {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKeyReadOnly("SOFTWARE\\Microsoft\\Windows\\CurrentVersion")) return std::string();
  // Stored with another type: no folder, as when the value is missing.
  std::string folder;
  reg.TryReadString("ProgramFilesDir", folder);
  return folder;
}

namespace {

// version.dll is not one of the system's known DLLs, so it is exactly the
// kind a planted copy beside a downloaded program would replace: bind it at
// run time from the system folder.
struct VersionApi {
  Module dll{LoadSystemLibrary("version.dll")};
  decltype(&::GetFileVersionInfoSizeA) size =
      dll ? reinterpret_cast<decltype(&::GetFileVersionInfoSizeA)>(
                reinterpret_cast<void*>(::GetProcAddress(dll.Get(), "GetFileVersionInfoSizeA")))
          : nullptr;
  decltype(&::GetFileVersionInfoA) info =
      dll ? reinterpret_cast<decltype(&::GetFileVersionInfoA)>(
                reinterpret_cast<void*>(::GetProcAddress(dll.Get(), "GetFileVersionInfoA")))
          : nullptr;
  decltype(&::VerQueryValueA) query =
      dll ? reinterpret_cast<decltype(&::VerQueryValueA)>(
                reinterpret_cast<void*>(::GetProcAddress(dll.Get(), "VerQueryValueA")))
          : nullptr;
};

}  // namespace

std::string FileVersionText(const std::string& fileName) {
  VersionApi api;
  if (!api.size || !api.info || !api.query) return std::string();
  DWORD ignored = 0;
  const DWORD size = api.size(fileName.c_str(), &ignored);
  if (!size) return std::string();
  std::string data(size, '\0');
  if (!api.info(fileName.c_str(), 0, size, &data[0])) return std::string();
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!api.query(&data[0], "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return std::string();
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

void RestrictDllSearchPath() {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  using SetDirs = BOOL(WINAPI*)(DWORD);
  auto set = reinterpret_cast<SetDirs>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Older systems: at least take the current folder out of the search.
  using SetDir = BOOL(WINAPI*)(LPCSTR);
  auto setDir = reinterpret_cast<SetDir>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDir) setDir("");
}

HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module) return module;
  // Systems without the search flags: name the full path.
  const std::string path = SystemFolder() + "\\" + name;
  return ::LoadLibraryA(path.c_str());
}

void* SystemEntry(const char* library, const char* name) {
  HMODULE module = LoadSystemLibrary(library);
  if (!module)
    Raise(Exception(std::string("Cannot load ") + library + ": " + FileErrorText(static_cast<int>(::GetLastError()))));
  void* entry = reinterpret_cast<void*>(::GetProcAddress(module, name));
  if (!entry) Raise(Exception(std::string(library) + " has no entry " + name));
  return entry;
}

}  // namespace rtl
