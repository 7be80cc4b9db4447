// Publishing when things go wrong: a hosts file that cannot be replaced, a
// host name that would break the hosts file; and the page fetched through
// a proxy and a static name that does not resolve, which need peers that
// the scripts start (they set the environment these cases read).

#include "tests/watcher/CycleFixture.h"

#include <cstdlib>

#include "rtl/win32/Dialogs.h"
#include "watcher/SettingsKeys.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
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

TEST_F(WatcherCycle, HostsFileThatCannotBeWrittenIsReportedOnceAndTheWatchGoesOn) {
  const std::string hosts = "127.0.0.1 localhost\r\n";
  WriteFileBytes(HostsPath(), hosts);
  // Held open without leave to delete, as a scanner or an editor may hold
  // it: the file can be read but not replaced.
  struct Held {
    HANDLE h;
    ~Held() { ::CloseHandle(h); }
  } held{::CreateFileA(HostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
  ASSERT_NE(INVALID_HANDLE_VALUE, held.h);
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();

  // The standard error display is the system's message box.
  HWND box = watcher->WaitFor("#32770", true, 30000);
  ASSERT_NE(nullptr, box);
  EXPECT_NE(std::string::npos, WindowText(::GetDlgItem(box, rtl::kMessageTextID)).find("hosts"))
      << WindowText(::GetDlgItem(box, rtl::kMessageTextID));
  const int before = server->Connections();
  ASSERT_TRUE(Answer(box, IDOK));

  ASSERT_TRUE(PumpUntil([&] { return server->Connections() >= before + 2; }, 30000)) << "the timer runs again";
  EXPECT_EQ(nullptr, watcher->Find("#32770", true)) << "the same address is not published again";
  EXPECT_EQ("OnlyWeb", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ(hosts, ReadFileBytes(HostsPath())) << "the old file as it was";
  EXPECT_EQ(0u, LeftoverFiles(WindowsFile("system32\\drivers\\etc")));
  EXPECT_FALSE(IsFile(TextFile)) << "an error in the hosts step leaves the text file unwritten";
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
