#include "tests/watcher/CycleFixture.h"

#include <fstream>
#include <iterator>

#include "watcher/SettingsKeys.h"

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(no file)";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  // Opened for this writer alone: while the watcher still holds the file
  // (its write seen, its cut to length and flush not yet done) the open
  // waits, so that the watcher's last step cannot cut what is written here.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 200; ++attempt) {
    file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION) break;
    ::Sleep(50);
  }
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path << ": error " << ::GetLastError();
  DWORD written = 0;
  const BOOL wrote = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  ASSERT_TRUE(wrote && written == bytes.size()) << path;
}

std::string HostsPath() { return WindowsFile("system32\\drivers\\etc\\hosts"); }

int TrayPicture(const TrayRecord& record) {
  if (IconHasColour(record, 255, 0, 0)) return 2;     // the roof
  if (IconHasColour(record, 0, 0, 255)) return 3;     // the sea
  if (IconHasColour(record, 255, 255, 0)) return 4;   // the sign
  if (IconHasColour(record, 0, 255, 255)) return 1;   // the lens
  return 0;
}

void WatcherCycle::SetUp() {
  Watcher::SetUp();
  FSavedHosts = ReadFileBytes(HostsPath());
  FHadHosts = IsFile(HostsPath());
  char temp[MAX_PATH + 1] = {};
  ::GetTempPathA(MAX_PATH + 1, temp);
  TextFile = std::string(temp) + "orv-serverip.txt";
  ::DeleteFileA(TextFile.c_str());
  server = std::make_unique<TPageServer>();
}

void WatcherCycle::TearDown() {
  Watcher::TearDown();
  server.reset();
  if (FHadHosts) WriteFileBytes(HostsPath(), FSavedHosts);
  ::DeleteFileA(TextFile.c_str());
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kProxySubkey);
}

void WatcherCycle::PageOptions(const std::string& url, const std::string& before, const std::string& after) {
  SetDword(kSettingsKey, "NoLan", 1);
  SetDword(kSettingsKey, "FromFile", 1);
  SetDword(kSettingsKey, "FromStatic", 0);
  SetString(kSettingsKey, "HTTPFile", url);
  SetString(kSettingsKey, "BeforeIP", before);
  SetString(kSettingsKey, "AfterIP", after);
  SetDword(kSettingsKey, "UpdateHosts", 1);
  SetString(kSettingsKey, "HostName", "server");
  SetDword(kSettingsKey, "UpdateFile", 1);
  SetString(kSettingsKey, "FileName", TextFile);
  SetDword(kSettingsKey, "AutoRun", 0);
  SetDword(kSettingsKey, "Interval", 300);
  SetDword(kSettingsKey, "TimeOut", 500);
}

void WatcherCycle::StartInTray() {
  StartKnown();
  ASSERT_TRUE(tray->WaitForCount(NIM_ADD, 1));
}

bool WatcherCycle::WaitForModify(size_t count) { return tray->WaitForCount(NIM_MODIFY, count, 30000); }

bool WatcherCycle::WaitForLocation(const std::string& text) {
  return PumpUntil([&] { return StringValue(kSettingsKey, "Location") == text; }, 30000);
}

bool WatcherCycle::WaitForFile(const std::string& path, const std::string& bytes) {
  return PumpUntil([&] { return ReadFileBytes(path) == bytes; }, 30000);
}

int WatcherCycle::LabelWidth(int id) {
  HWND infos = watcher->Find(kInfosFormClass);
  RECT r{};
  if (!infos || !::GetWindowRect(::GetDlgItem(infos, id), &r)) return -1;
  return r.right - r.left;
}

void WatcherCycle::CloseShowsNoOutcome() {
  ::PostMessageA(Settings(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !watcher->Running(); }, 20000));
  EXPECT_EQ(0u, watcher->ExitCode());
  ASSERT_EQ(1u, tray->Count(NIM_DELETE));
  EXPECT_EQ(0u, tray->Count(NIM_MODIFY)) << "no outcome, before the icon went or after";
  EXPECT_EQ("Searching", StringValue(kSettingsKey, "Location"));
}
