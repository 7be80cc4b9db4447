// Publishing when things go wrong: a hosts file that cannot be replaced, a
// host name that would break the hosts file, files replaced whole; and the
// page fetched through a proxy, a static name that does not resolve and a
// hosts folder that takes no new file, which need what the scripts set up
// (they set the environment these cases read).

#include "tests/watcher/CycleFixture.h"

#include <algorithm>
#include <cstdlib>

#include "rtl/win32/Dialogs.h"
#include "watcher/SettingsKeys.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

struct BoxSearch {
  DWORD Process;
  size_t Found;
};

BOOL CALLBACK CountBox(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<BoxSearch*>(data);
  DWORD owner = 0;
  char name[16] = {};
  ::GetWindowThreadProcessId(window, &owner);
  ::GetClassNameA(window, name, sizeof name);
  if (owner == search->Process && ::IsWindowVisible(window) && std::string(name) == "#32770") ++search->Found;
  return TRUE;
}

// The message boxes of the process that are open.
size_t OpenBoxes(DWORD processId) {
  BoxSearch search{processId, 0};
  ::EnumWindows(CountBox, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

size_t LeftoverFiles(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "\\orv*.tmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  size_t n = 1;
  while (::FindNextFileA(find, &data)) ++n;
  ::FindClose(find);
  return n;
}

}  // namespace

TEST_F(WatcherCycle, AnUnwritableHostsFileIsShownOnceAndNeitherStopsTheWatchNorTheTextFile) {
  const std::string hosts = "127.0.0.1 localhost\r\n";
  WriteFileBytes(HostsPath(), hosts);
  // Held open without leave to write or delete, as a scanner or an editor
  // may hold it: the file can be read but not replaced.
  struct Held {
    HANDLE h;
    ~Held() { ::CloseHandle(h); }
  } held{::CreateFileA(HostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
  ASSERT_NE(INVALID_HANDLE_VALUE, held.h);
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();

  // Nobody clicks: the address changes while the box is open.
  size_t mostBoxes = 0;
  const auto watch = [&](const std::string& address) {
    return PumpUntil(
        [&] {
          mostBoxes = std::max(mostBoxes, OpenBoxes(watcher->Id()));
          const TrayRecord* last = tray->Last(NIM_MODIFY);
          return ReadFileBytes(TextFile) == address && last && last->Tip == "Orvandel (" + address + ")";
        },
        30000);
  };
  ASSERT_TRUE(watch("80.1.2.3"));
  // The standard error display is the system's message box.
  HWND box = watcher->WaitFor("#32770", true, 30000);
  ASSERT_NE(nullptr, box);
  EXPECT_NE(std::string::npos, WindowText(::GetDlgItem(box, rtl::kMessageTextID)).find("hosts"))
      << WindowText(::GetDlgItem(box, rtl::kMessageTextID));
  server->SetPage("80.1.2.4");
  ASSERT_TRUE(watch("80.1.2.4")) << "the watch goes on while the box waits";
  EXPECT_EQ("OnlyWeb", StringValue(kSettingsKey, "Location"));
  const int connections = server->Connections();
  ASSERT_TRUE(PumpUntil([&] {
    mostBoxes = std::max(mostBoxes, OpenBoxes(watcher->Id()));
    return server->Connections() >= connections + 2;
  }));
  EXPECT_EQ(1u, mostBoxes) << "the same error is not shown again";
  EXPECT_EQ(hosts, ReadFileBytes(HostsPath())) << "the old file as it was";
  EXPECT_EQ(0u, LeftoverFiles(WindowsFile("system32\\drivers\\etc")));
}

TEST_F(WatcherCycle, FilesAreReplacedWhole) {
  // A reader that lets the file be replaced keeps what it opened, whole.
  WriteFileBytes(TextFile, "80.9.9.9");
  struct Held {
    HANDLE h;
    ~Held() { ::CloseHandle(h); }
  } reader{::CreateFileA(TextFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         0, nullptr)};
  ASSERT_NE(INVALID_HANDLE_VALUE, reader.h);
  // The hosts file keeps its own attributes.
  WriteFileBytes(HostsPath(), "127.0.0.1 localhost\r\n");
  ASSERT_TRUE(::SetFileAttributesA(HostsPath().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  StartInTray();
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3"));
  char old[16] = {};
  DWORD n = 0;
  ASSERT_TRUE(::ReadFile(reader.h, old, sizeof old, &n, nullptr));
  EXPECT_EQ("80.9.9.9", std::string(old, n));
  ASSERT_TRUE(WaitForFile(HostsPath(), "127.0.0.1 localhost\r\n80.1.2.3\tserver\t# Modified by Orvandel\r\n"));
  const DWORD attributes = ::GetFileAttributesA(HostsPath().c_str());
  EXPECT_EQ(DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
            attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ::SetFileAttributesA(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(nullptr, watcher->Find("#32770")) << "no error box";
}

// Run by tests/watcher/hosts-folder-test.sh, which makes the hosts file's
// folder refuse new files (the file itself stays writable).
TEST_F(WatcherCycle, HostsFolderThatTakesNoNewFile) {
  if (Environment("ORV_HOSTS_FOLDER_LOCKED") != "1") GTEST_SKIP() << "needs tests/watcher/hosts-folder-test.sh";
  char probe[MAX_PATH] = {};
  // Wine names a file even when it could not make it.
  if (::GetTempFileNameA(WindowsFile("system32\\drivers\\etc").c_str(), "orv", 0, probe) && IsFile(probe)) {
    ::DeleteFileA(probe);
    FAIL() << "the folder takes a new file";
  }
  const std::string line = Pick("Modified by Orvandel", "Verändert von Orvandel");
  const std::string comments = std::string(300, '#') + "\r\n";
  WriteFileBytes(HostsPath(), "127.0.0.1 localhost\r\n10.9.9.9  server alias2 # office\r\n" + comments);
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();
  ASSERT_TRUE(WaitForFile(HostsPath(), "127.0.0.1 localhost\r\n80.1.2.3\tserver\t# " + line +
                                           "\r\n10.9.9.9  alias2 # office\r\n" + comments));
  // A shorter content is cut to its length.
  WriteFileBytes(HostsPath(), "10.0.0.1 server # " + comments + "127.0.0.1 localhost\r\n");
  server->SetPage("80.1.2.4");
  ASSERT_TRUE(WaitForFile(HostsPath(), "80.1.2.4\tserver\t# " + line + "\r\n127.0.0.1 localhost\r\n"));
  EXPECT_EQ(nullptr, watcher->Find("#32770")) << "no error box";
}

TEST_F(WatcherCycle, HostNamesThatCannotMakeAHostLineSkipTheHostsFile) {
  const std::string hosts = "127.0.0.1 localhost\r\n";
  const struct {
    const char* name;
    bool okSaysWhy;
  } cases[] = {{"", false}, {"server\r\n6.6.6.6\tbank", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    watcher.reset();
    tray = std::make_unique<TrayRecorder>();
    ::DeleteFileA(TextFile.c_str());
    WriteFileBytes(HostsPath(), hosts);
    server->SetPage("80.1.2.3");
    PageOptions(server->Url());
    SetString(kSettingsKey, "HostName", c.name);
    StartInTray();
    ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3")) << "the text file is still written";
    EXPECT_EQ(hosts, ReadFileBytes(HostsPath()));

    ::PostMessageA(Settings(), kTrayCallbackMessage, kTrayIconID, WM_LBUTTONDBLCLK);
    ASSERT_NE(nullptr, WaitForSettingsShown());
    Click(Control(idBitBtn1));
    if (c.okSaysWhy) {
      HWND box = watcher->WaitFor(rtl::kMessageFormClass);
      ASSERT_NE(nullptr, box);
      EXPECT_EQ(Pick("The host name must not contain blanks, \"#\", tabs or line breaks. "
                     "The hosts file is not updated until it is corrected.",
                     "Der Hostname darf keine Leerzeichen, \"#\", Tabulatoren oder Zeilenumbrüche "
                     "enthalten. Die hosts-Datei wird erst nach der Korrektur aktualisiert."),
                WindowText(::GetDlgItem(box, rtl::kMessageTextID)));
      ASSERT_TRUE(Answer(box, IDOK));
    }
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(Settings()); }));
    ASSERT_TRUE(WaitForModify(2)) << "OK runs a cycle";
    EXPECT_EQ(nullptr, watcher->Find(rtl::kMessageFormClass)) << "nothing else to say";
    EXPECT_EQ(hosts, ReadFileBytes(HostsPath()));
  }
}

// Run by proxy-test.sh with tinyproxy listening on ORV_PROXY_PORT.
TEST_F(WatcherCycle, ProxySettingsAct) {
  const std::string port = Environment("ORV_PROXY_PORT");
  if (port.empty()) GTEST_SKIP() << "needs the proxy that tests/watcher/proxy-test.sh starts";
  server->SetPage("80.1.2.3");
  for (DWORD enabled : {1u, 0u}) {
    SCOPED_TRACE(enabled);
    watcher.reset();
    tray = std::make_unique<TrayRecorder>();
    ::DeleteFileA(TextFile.c_str());
    PageOptions(server->Url("/proxied"));
    SetString(kProxySubkey, "Proxy", "127.0.0.1");
    SetString(kProxySubkey, "Port", port);
    SetString(kProxySubkey, "Name", "");
    SetString(kProxySubkey, "Password", "");
    SetDword(kProxySubkey, "Enabled", enabled);
    StartInTray();
    ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3"));
    // tinyproxy names itself in a Via line of what it passes on.
    const std::string request = server->LastRequest();
    EXPECT_EQ(enabled == 1, request.find("tinyproxy") != std::string::npos) << request;
  }
}

// Run by tests/tls/tls-tests.sh: an https page whose certificate only that
// test's Wine prefix trusts.
TEST_F(WatcherCycle, HttpsPage) {
  const std::string url = Environment("ORV_HTTPS_PAGE");
  if (url.empty()) GTEST_SKIP() << "needs the TLS server that tests/tls/tls-tests.sh starts";
  PageOptions(url);
  StartInTray();
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3"));
  EXPECT_EQ("OnlyWeb", StringValue(kSettingsKey, "Location"));
}

// Run by tests/netns/unresolvable.sh, whose name server knows only
// ORV_KNOWN_NAME.
TEST_F(WatcherCycle, StaticNameThatDoesNotResolve) {
  const std::string unknown = Environment("ORV_UNRESOLVABLE_NAME");
  if (unknown.empty()) GTEST_SKIP() << "needs the name server of tests/netns/unresolvable.sh";
  PageOptions("");
  SetDword(kSettingsKey, "FromFile", 0);
  SetDword(kSettingsKey, "FromStatic", 1);
  SetString(kSettingsKey, "StaticIP", unknown);
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();
  ASSERT_TRUE(WaitForModify(2)) << "the timer starts again after the failed lookup";
  EXPECT_EQ("Error", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ(Pick("Orvandel (Error - IP not responding)", "Orvandel (Fehler - IP antwortet nicht)"), LastModify().Tip);
  EXPECT_FALSE(IsFile(TextFile)) << "the address stays unchanged";
}
