// The settings window's buttons: OK saves every option with its type and
// keeps the Run entry, Abort reloads.

#include "tests/watcher/WatcherFixture.h"

#include "rtl/win32/Dialogs.h"
#include "watcher/SettingsKeys.h"

namespace {

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return std::string(buffer, n);
}

}  // namespace

class WatcherSettings : public Watcher {
protected:
  // The first start's window, with the tray icon up.
  void StartShown() {
    Start();
    ASSERT_NE(nullptr, WaitForSettingsShown());
    ASSERT_TRUE(WaitForTrayStart());
  }
  // Shows the window as the tray's double-click does.
  void ShowFromTray() {
    ::PostMessageA(Settings(), 1044, 100, WM_LBUTTONDBLCLK);
    ASSERT_NE(nullptr, WaitForSettingsShown());
  }
  void ClickAndWaitHidden(int id) {
    Click(Control(id));
    ASSERT_TRUE(PumpUntil([this] { return !::IsWindowVisible(Settings()); }));
  }
  // OK, then the end of its work: "Location" is written last.
  void PressOk() {
    DeleteValue(kSettingsKey, "Location");
    ClickAndWaitHidden(idBitBtn1);
    ASSERT_TRUE(PumpUntil([] { return ValueExists(kSettingsKey, "Location"); }));
  }
  void Tick(int id) {
    const bool was = IsChecked(Control(id));
    Click(Control(id));
    ASSERT_TRUE(PumpUntil([&] { return IsChecked(Control(id)) != was; })) << id;
  }
  std::string RunValue() { return StringValue(kRunKey, kRunValue); }
};

TEST_F(WatcherSettings, OkSavesEveryValueWithItsTypeAndAbortReloads) {
  StartShown();
  SetWindowTextTo(Control(idEdit1), "127.0.0.5");
  SetWindowTextTo(Control(idSpinEdit1), "750");
  Tick(idCheckBox5);
  SetWindowTextTo(Control(idSpinEdit2), "45");
  SetWindowTextTo(Control(idEdit2), "http://127.0.0.1/ip.html");
  SetWindowTextTo(Control(idEdit3), "<b>");
  SetWindowTextTo(Control(idEdit4), "</b>");
  Click(Control(idRadioButton2));
  ASSERT_TRUE(PumpUntil([this] { return IsChecked(Control(idRadioButton2)); }));
  EXPECT_FALSE(IsChecked(Control(idRadioButton1))) << "one of the group";
  EXPECT_TRUE(::IsWindowEnabled(Control(idEdit7)));
  EXPECT_FALSE(::IsWindowEnabled(Control(idEdit2)));
  EXPECT_FALSE(::IsWindowEnabled(Control(idEdit1))) << "no intranet check";
  SetWindowTextTo(Control(idEdit7), "localhost");
  Tick(idCheckBox1);
  EXPECT_FALSE(::IsWindowEnabled(Control(idEdit6)));
  SetWindowTextTo(Control(idEdit5), "c:\\ip.txt");
  SetWindowTextTo(Control(idEdit6), "myhost");
  Tick(idCheckBox3);  // no log-on start here
  PressOk();

  const struct {
    const char* name;
    const char* text;
  } texts[] = {{"LanIP", "127.0.0.5"}, {"HTTPFile", "http://127.0.0.1/ip.html"}, {"BeforeIP", "<b>"},
               {"AfterIP", "</b>"}, {"StaticIP", "localhost"}, {"FileName", "c:\\ip.txt"},
               {"HostName", "myhost"}, {"Version", "5.0.0.0"}};
  for (const auto& t : texts) EXPECT_EQ(t.text, StringValue(kSettingsKey, t.name)) << t.name;
  const struct {
    const char* name;
    DWORD value;
  } numbers[] = {{"TimeOut", 750}, {"NoLan", 1}, {"Interval", 45}, {"FromFile", 0}, {"FromStatic", 1},
                 {"UpdateHosts", 0}, {"UpdateFile", 1}, {"AutoRun", 0}};
  for (const auto& n : numbers) EXPECT_EQ(n.value, DwordValue(kSettingsKey, n.name)) << n.name;
  EXPECT_FALSE(ValueExists(kRunKey, kRunValue));

  // Abort throws edits away: the stored values come back.
  ShowFromTray();
  SetWindowTextTo(Control(idEdit1), "changed");
  SetWindowTextTo(Control(idSpinEdit2), "999");
  Tick(idCheckBox2);
  ClickAndWaitHidden(idBitBtn2);
  EXPECT_EQ("127.0.0.5", WindowText(Control(idEdit1)));
  EXPECT_EQ("45", WindowText(Control(idSpinEdit2)));
  EXPECT_TRUE(IsChecked(Control(idCheckBox2)));
  EXPECT_EQ(45u, DwordValue(kSettingsKey, "Interval"));
}

TEST_F(WatcherSettings, AutostartCopiesIntoTheWindowsFolderAndHiddenAddsTheSuffix) {
  StartShown();
  PressOk();
  const std::string target = ShortPath(WindowsFile("")) + "Orvandel.exe";
  EXPECT_EQ(target, RunValue());
  EXPECT_TRUE(IsFile(WindowsFile("Orvandel.exe"))) << "the program copied";
  EXPECT_TRUE(IsFile(WindowsFile("Orvandel.chm"))) << "with its help";
  EXPECT_TRUE(StartOrFirstOutcome(StringValue(kSettingsKey, "Location"), ""));

  ShowFromTray();
  Click(Control(idCheckBox4));
  HWND question = watcher->WaitFor(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, question);
  ASSERT_TRUE(Answer(question, IDYES));
  EXPECT_TRUE(IsChecked(Control(idCheckBox4)));
  PressOk();
  EXPECT_EQ(target + " \"hide\"", RunValue());
  EXPECT_TRUE(StartOrFirstOutcome(StringValue(kSettingsKey, "Location"), "Searching"));
  ASSERT_TRUE(tray->WaitForCount(NIM_DELETE, 1)) << "hidden mode takes the icon away";
  EXPECT_EQ("", tray->Last(NIM_DELETE)->Tip);

  // Switched off, the Run value goes; the copy stays.
  ShowFromTray();
  Tick(idCheckBox3);
  PressOk();
  EXPECT_FALSE(ValueExists(kRunKey, kRunValue));
  EXPECT_TRUE(IsFile(WindowsFile("Orvandel.exe")));
}

TEST_F(WatcherSettings, RunValueNamesAFileThatExistsWhenTheCopyFails) {
  // The copy cannot be written: a folder stands where it would go.
  const std::string target = WindowsFile("Orvandel.exe");
  ASSERT_TRUE(::CreateDirectoryA(target.c_str(), nullptr));
  StartShown();
  PressOk();
  EXPECT_EQ(ShortPath(WatcherExe()), RunValue()) << "the running program itself";

  // An earlier copy that cannot be replaced now is still the one to start.
  ::RemoveDirectoryA(target.c_str());
  HANDLE old = ::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, old);
  DWORD written = 0;
  ::WriteFile(old, "old", 3, &written, nullptr);
  ShowFromTray();
  PressOk();
  ::CloseHandle(old);
  EXPECT_EQ(ShortPath(WindowsFile("")) + "Orvandel.exe", RunValue());
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data);
  EXPECT_EQ(3u, data.nFileSizeLow) << "the locked copy was not replaced";
}

TEST_F(WatcherSettings, ProxyDialogStoresTheValuesAndScramblesThePassword) {
  StartShown();
  Click(Control(idSpeedButton1));
  HWND proxy = watcher->WaitFor(kProxyFormClass);
  ASSERT_NE(nullptr, proxy);
  EXPECT_EQ("Proxy", WindowText(proxy));
  auto item = [proxy](int id) { return ::GetDlgItem(proxy, id); };
  const struct {
    int id;
    const char *english, *german;
  } captions[] = {{idProxyLabel1, "Proxy", "Proxy"}, {idProxyLabel2, "Username", "Benutzername"},
                  {idProxyLabel3, "Password", "Passwort"}, {idProxyLabel4, "Port", "Port"},
                  {idProxyCheckBox1, "En&abled", "&Aktiviert"}, {idProxyBitBtn1, "&OK", "&OK"},
                  {idProxyBitBtn2, "&Abbort", "&Abbrechen"}};
  for (const auto& c : captions) EXPECT_EQ(Pick(c.english, c.german), WindowText(item(c.id))) << c.english;
  EXPECT_EQ("80", WindowText(item(idProxyEdit4)));
  EXPECT_EQ('*', ::SendMessageA(item(idProxyEdit3), EM_GETPASSWORDCHAR, 0, 0));
  EXPECT_FALSE(ValueExists(kProxySubkey, "Port")) << "loading creates nothing";

  SetWindowTextTo(item(idProxyEdit1), "proxy.test");
  SetWindowTextTo(item(idProxyEdit2), "user");
  SetWindowTextTo(item(idProxyEdit3), "Secret-1");
  SetWindowTextTo(item(idProxyEdit4), "3128");
  Click(item(idProxyCheckBox1));
  ASSERT_TRUE(PumpUntil([&] { return IsChecked(item(idProxyCheckBox1)); }));
  Click(item(idProxyBitBtn1));
  ASSERT_TRUE(PumpUntil([proxy] { return !::IsWindowVisible(proxy); }));
  EXPECT_EQ("proxy.test", StringValue(kProxySubkey, "Proxy"));
  EXPECT_EQ("user", StringValue(kProxySubkey, "Name"));
  EXPECT_EQ("3128", StringValue(kProxySubkey, "Port"));
  EXPECT_EQ(1u, DwordValue(kProxySubkey, "Enabled"));
  const std::string stored = StringValue(kProxySubkey, "Password");
  EXPECT_EQ(8u, stored.size());
  EXPECT_NE("Secret-1", stored);
  // "Secret-1" with the watcher's key, worked out by hand.
  EXPECT_EQ(std::string("\xBF\xD2\xCC\xA3\x98\xBE\x93\x8F"), stored);

  // Abort forgets the edits.
  Click(Control(idSpeedButton1));
  ASSERT_TRUE(PumpUntil([proxy] { return ::IsWindowVisible(proxy) != FALSE; }));
  SetWindowTextTo(item(idProxyEdit1), "other.test");
  Click(item(idProxyBitBtn2));
  ASSERT_TRUE(PumpUntil([proxy] { return !::IsWindowVisible(proxy); }));
  EXPECT_EQ("proxy.test", WindowText(item(idProxyEdit1)));
  EXPECT_EQ("proxy.test", StringValue(kProxySubkey, "Proxy"));

  // Escape is Abort too.
  Click(Control(idSpeedButton1));
  ASSERT_TRUE(PumpUntil([proxy] { return ::IsWindowVisible(proxy) != FALSE; }));
  SetWindowTextTo(item(idProxyEdit2), "someone else");
  ::PostMessageA(item(idProxyEdit2), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PumpUntil([proxy] { return !::IsWindowVisible(proxy); }));
  EXPECT_EQ("user", WindowText(item(idProxyEdit2)));
}
