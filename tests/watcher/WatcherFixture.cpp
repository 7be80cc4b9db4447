#include "tests/watcher/WatcherFixture.h"

#include <cstring>

#include "watcher/SettingsKeys.h"

std::string HostToWindows(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string WatcherExe() { return HostToWindows(ORV_WATCHER_EXE); }

bool ExpectGerman() {
  char value[16] = {};
  ::GetEnvironmentVariableA("ORV_EXPECT_LANGUAGE", value, sizeof value);
  return std::string(value) == "German";
}

namespace {

bool Query(const char* key, const char* name, DWORD& type, std::string& data) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = ::RegQueryValueExA(opened, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    data.assign(size, '\0');
    ok = ::RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) == ERROR_SUCCESS;
    data.resize(size);
  }
  ::RegCloseKey(opened);
  return ok;
}

void Set(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY opened = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                                             nullptr));
  ::RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size);
  ::RegCloseKey(opened);
}

}  // namespace

bool ValueExists(const char* key, const char* name) {
  DWORD type = 0;
  std::string data;
  return Query(key, name, type, data);
}

DWORD ValueType(const char* key, const char* name) {
  DWORD type = REG_NONE;
  std::string data;
  Query(key, name, type, data);
  return type;
}

std::string StringValue(const char* key, const char* name) {
  DWORD type = 0;
  std::string data;
  if (!Query(key, name, type, data) || type != REG_SZ) return "(no text value)";
  if (data.empty() || data.back() != '\0') return "(not terminated)";
  data.pop_back();
  return data;
}

DWORD DwordValue(const char* key, const char* name) {
  DWORD type = 0;
  std::string data;
  if (!Query(key, name, type, data) || type != REG_DWORD || data.size() != 4) return 0xDEADBEEF;
  DWORD value;
  std::memcpy(&value, data.data(), 4);
  return value;
}

void SetString(const char* key, const char* name, const std::string& value) {
  Set(key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void SetDword(const char* key, const char* name, DWORD value) { Set(key, name, REG_DWORD, &value, 4); }

void DeleteValue(const char* key, const char* name) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(opened, name);
  ::RegCloseKey(opened);
}

std::string WindowsFile(const std::string& name) {
  char folder[MAX_PATH] = {};
  ::GetWindowsDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + name;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Watcher::SetUp() {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  // A menu-style test that died before its clean-up would otherwise leave
  // Wine reporting an older Windows to every later watcher.
  ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Orvandel.exe");
  DeleteValue(kRunKey, kRunValue);
  for (const char* name : {"Orvandel.exe", "Orvandel.chm"}) {
    const std::string path = WindowsFile(name);
    ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(path.c_str());
  }
  tray = std::make_unique<TrayRecorder>();
}

void Watcher::TearDown() {
  watcher.reset();
  tray.reset();
  for (const char* name : {"Orvandel.exe", "Orvandel.chm"}) {
    const std::string path = WindowsFile(name);
    ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(path.c_str());
  }
}

WatcherProcess& Watcher::Start(const std::string& arguments) {
  watcher = std::make_unique<WatcherProcess>(WatcherExe(), arguments);
  FSettings = watcher->WaitFor(kSettingsFormClass, false);
  EXPECT_NE(nullptr, FSettings) << "the settings window is created";
  return *watcher;
}

WatcherProcess& Watcher::StartKnown(const std::string& arguments) {
  SetString(kSettingsKey, "Version", "5.0.0.0");
  return Start(arguments);
}

HWND Watcher::WaitForSettingsShown() {
  PumpUntil([this] { return ::IsWindowVisible(FSettings) != FALSE; });
  return ::IsWindowVisible(FSettings) ? FSettings : nullptr;
}

bool Watcher::WaitForTrayStart() {
  return tray->WaitForCount(NIM_ADD, 1) && PumpUntil([] { return ValueExists(kSettingsKey, "Location"); });
}
