// Start-up of the watcher: the first start, later starts, a second
// instance, the hidden start from the command line, and stored values the
// window has to cope with.

#include "tests/watcher/WatcherFixture.h"

#include "rtl/win32/Dialogs.h"
#include "watcher/SettingsKeys.h"

TEST_F(Watcher, FirstStartShowsTheWindowWritesTheKeyAndSearches) {
  Start();
  ASSERT_NE(nullptr, WaitForSettingsShown()) << "shown at the first start";
  EXPECT_EQ("Orvandel 5.0.0.0", WindowText(Settings()));
  EXPECT_EQ("5.0.0.0", StringValue(kSettingsKey, "Version"));
  ASSERT_TRUE(WaitForTrayStart());
  EXPECT_EQ("Searching", StringValue(kSettingsKey, "Location"));

  // The icon as the shell got it: the searching picture, a magnifier with
  // its cyan lens and no red house roof.
  const TrayRecord& add = *tray->Last(NIM_ADD);
  EXPECT_EQ(Settings(), add.Window);
  EXPECT_EQ(100u, add.ID);
  EXPECT_EQ(7u, add.Flags) << "message, icon and tip";
  EXPECT_EQ(1044u, add.CallbackMessage);
  EXPECT_EQ("Orvandel", add.Tip);
  EXPECT_EQ(16u, add.IconWidth);
  EXPECT_TRUE(IconHasColour(add, 0, 255, 255)) << "the lens";
  EXPECT_TRUE(IconHasColour(add, 24, 255, 255, 0)) << "the lit lens of the rich image, not the 16-colour one";
  EXPECT_FALSE(IconHasColour(add, 255, 0, 0)) << "no roof";

  // The application window that a second start looks for.
  HWND application = ::FindWindowA("TApplication", "Orvandel");
  ASSERT_NE(nullptr, application);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(application, &pid);
  EXPECT_EQ(watcher->Id(), pid);
  EXPECT_FALSE(::IsWindowVisible(application));

  // The design state of every option.
  const struct {
    int id;
    const char* text;
  } texts[] = {{idEdit1, ""}, {idSpinEdit1, "500"}, {idSpinEdit2, "300"}, {idEdit2, ""}, {idEdit3, ""},
               {idEdit4, ""}, {idEdit5, "c:\\serverip.txt"}, {idEdit6, ""}, {idEdit7, ""}};
  for (const auto& t : texts) EXPECT_EQ(t.text, WindowText(Control(t.id))) << t.id;
  const struct {
    int id;
    bool checked;
  } checks[] = {{idCheckBox1, true}, {idCheckBox2, true}, {idCheckBox3, true}, {idCheckBox4, false},
                {idCheckBox5, false}, {idRadioButton1, true}, {idRadioButton2, false}};
  for (const auto& c : checks) EXPECT_EQ(c.checked, IsChecked(Control(c.id))) << c.id;
  EXPECT_FALSE(::IsWindowEnabled(Control(idEdit7))) << "static entry off while the page is the source";
  EXPECT_TRUE(::IsWindowEnabled(Control(idEdit2)));
  EXPECT_FALSE(::GetWindowLongA(Control(idCheckBox4), GWL_STYLE) & WS_TABSTOP) << "Hidden has no tab stop";
  EXPECT_EQ(4, ::SendMessageA(Control(idSpinEdit2), EM_GETLIMITTEXT, 0, 0)) << "at most 4 digits of interval";
  EXPECT_NE(nullptr, ::GetWindow(Control(idSpinEdit1), GW_CHILD)) << "a spin edit, with its buttons";
  EXPECT_TRUE(::GetWindowLongA(Control(idCheckBox3), GWL_STYLE) & WS_TABSTOP);

  // Every caption in the user's language.
  const struct {
    int id;
    const char* english;
    const char* german;
  } captions[] = {
      {idGroupBox1, "Intranet", "Intranet"},
      {idGroupBox2, "Internet", "Internet"},
      {idGroupBox3, "General", "Allgemein"},
      {idLabel1, "Intranet-I&P", "Intranet-I&P"},
      {idLabel2, "Inte&rnet-IP/URL", "Inte&rnet-IP/URL"},
      {idLabel3, "Be&fore IP", "Vo&r der IP"},
      {idLabel4, "&After IP", "N&ach der IP"},
      {idLabel5, "Parse IP", "Parse IP"},
      {idLabel6, "File&name", "Datei&name"},
      {idLabel7, "Ping &Timeout (ms)", "Ping &Timeout (ms)"},
      {idLabel8, "Ho&st", "Ho&st"},
      {idLabel9, "Interv&al (sec.)", "Interv&all (sek.)"},
      {idCheckBox1, "&Update hosts file (NT only)", "Hosts akt&ualisieren (nur NT)"},
      {idCheckBox2, "Write IP to a &textfile", "IP in &Textdatei schreiben"},
      {idCheckBox3, "&Autostart", "&Autostart"},
      {idCheckBox4, "Hidden", "Verborgen"},
      {idCheckBox5, "No Int&ranet-IP", "Keine Int&ranet-IP"},
      {idRadioButton1, "Fr&om File (http request)", "V&on Datei (http request)"},
      {idRadioButton2, "Stati&c IP/URL", "Statis&che IP/URL"},
      {idBitBtn1, "&Ok", "&Ok"},
      {idBitBtn2, "&Abbort", "&Abbrechen"},
      {idBitBtn3, "&Exit", "B&eenden"},
  };
  for (const auto& c : captions) EXPECT_EQ(Pick(c.english, c.german), WindowText(Control(c.id))) << c.english;
}

TEST_F(Watcher, LaterStartStaysInTheTray) {
  StartKnown();
  ASSERT_TRUE(WaitForTrayStart());
  EXPECT_FALSE(::IsWindowVisible(Settings()));
  EXPECT_NE(Settings(), ::GetForegroundWindow()) << "a hidden window is never made the active one";
  EXPECT_TRUE(StartOrFirstOutcome(StringValue(kSettingsKey, "Location"), "Searching"));
}

TEST_F(Watcher, SecondStartEndsAndLeavesTheFirst) {
  StartKnown();
  ASSERT_TRUE(WaitForTrayStart());
  {
    WatcherProcess second(WatcherExe());
    ASSERT_TRUE(second.WaitForExit()) << "the second start ends by itself";
    EXPECT_EQ(0u, second.ExitCode());
    EXPECT_EQ(nullptr, second.Find(kSettingsFormClass)) << "it made no window of its own";
  }
  EXPECT_TRUE(watcher->Running());
  EXPECT_EQ(1u, tray->Count(NIM_ADD)) << "one icon";
  EXPECT_EQ(Settings(), ::FindWindowA(kSettingsFormClass, nullptr));
}

TEST_F(Watcher, TwoStartsAtTheSameMomentLeaveOne) {
  SetString(kSettingsKey, "Version", "5.0.0.0");
  WatcherProcess first(WatcherExe()), second(WatcherExe());
  ASSERT_TRUE(PumpUntil([&] { return !first.Running() || !second.Running(); })) << "one of them ends";
  EXPECT_EQ(0u, (first.Running() ? second : first).ExitCode());
  ASSERT_TRUE(WaitForTrayStart());
  EXPECT_TRUE(first.Running() || second.Running()) << "the other stays";
  EXPECT_EQ(1u, tray->Count(NIM_ADD)) << "one icon";
}

// An instance that holds the mutex but has not yet titled its application
// window is the moment the window test alone would miss.
TEST_F(Watcher, StartingInstanceIsWaitedForAndActivated) {
  SetString(kSettingsKey, "Version", "5.0.0.0");
  HANDLE held = ::CreateMutexA(nullptr, FALSE, kInstanceMutexName);
  ASSERT_NE(nullptr, held);
  ASSERT_NE(ERROR_ALREADY_EXISTS, ::GetLastError());
  {
    WatcherProcess late(WatcherExe());
    PumpFor(300);
    // The other instance's application window appears only now.
    WNDCLASSA wc{};
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplication";
    ::RegisterClassA(&wc);
    HWND application =
        ::CreateWindowExA(0, "TApplication", "Orvandel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, application);
    ASSERT_TRUE(late.WaitForExit()) << "it hands over and ends";
    EXPECT_EQ(0u, late.ExitCode());
    ::DestroyWindow(application);
  }
  {
    // Nobody titles a window: the mutex alone keeps the second out.
    WatcherProcess late(WatcherExe());
    ASSERT_TRUE(late.WaitForExit());
    EXPECT_EQ(0u, late.ExitCode());
  }
  EXPECT_EQ(0u, tray->Count(NIM_ADD)) << "no second icon";
  ::CloseHandle(held);
}

TEST_F(Watcher, HideOnTheCommandLineAsks) {
  const struct {
    const char* argument;
    bool asked;
    int answer;
    bool hidden;
  } cases[] = {
      {"hide", true, IDYES, true},
      {"hide", true, IDNO, false},
      {"\"hide\"", true, IDYES, true},  // as the Run value gives it
      {"HIDE", false, 0, false},
      {"Hide", false, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.argument) + (c.answer == IDYES ? " yes" : c.answer == IDNO ? " no" : ""));
    DeleteValue(kSettingsKey, "Location");
    tray = std::make_unique<TrayRecorder>();
    SetString(kSettingsKey, "Version", "5.0.0.0");
    watcher = std::make_unique<WatcherProcess>(WatcherExe(), c.argument);
    if (c.asked) {
      HWND question = watcher->WaitFor(rtl::kMessageFormClass);
      ASSERT_NE(nullptr, question);
      EXPECT_EQ(Pick("Do you really want to to run the program in hidden-mode?",
                     "Wollen Sie das Programm wirklich im Verborgen-Modus ausführen?"),
                WindowText(::GetDlgItem(question, rtl::kMessageTextID)));
      ASSERT_TRUE(Answer(question, c.answer));
    }
    ASSERT_TRUE(PumpUntil([] { return ValueExists(kSettingsKey, "Location"); }));
    HWND settings = watcher->Find(kSettingsFormClass);
    EXPECT_EQ(c.hidden, IsChecked(::GetDlgItem(settings, idCheckBox4)));
    if (c.hidden) {
      EXPECT_TRUE(StartOrFirstOutcome(StringValue(kSettingsKey, "Location"), ""));
      EXPECT_EQ(0u, tray->Count(NIM_ADD)) << "no tray icon in hidden mode";
    } else {
      ASSERT_TRUE(WaitForTrayStart());
      EXPECT_EQ("Orvandel", tray->Last(NIM_ADD)->Tip);
      EXPECT_TRUE(StartOrFirstOutcome(StringValue(kSettingsKey, "Location"), "Searching"));
      EXPECT_EQ(nullptr, watcher->Find(rtl::kMessageFormClass)) << "no question";
    }
    watcher.reset();
  }
}

TEST_F(Watcher, ValueOfTheWrongTypeIsNamedAndEndsTheLoad) {
  SetString(kSettingsKey, "TimeOut", "500");  // an integer, stored as text
  SetString(kSettingsKey, "HostName", "loaded.test");
  Start();
  HWND error = watcher->WaitFor("#32770");
  ASSERT_NE(nullptr, error) << "the standard error display";
  EXPECT_EQ("Orvandel", WindowText(error));
  const std::string text = WindowText(::GetDlgItem(error, 0xFFFF));
  EXPECT_NE(std::string::npos, text.find("'TimeOut'")) << text;
  ASSERT_TRUE(Answer(error, IDOK));
  ASSERT_TRUE(WaitForTrayStart()) << "the tray icon comes all the same";
  EXPECT_TRUE(StartOrFirstOutcome(StringValue(kSettingsKey, "Location"), "Searching"));
  EXPECT_EQ("", WindowText(Control(idEdit6))) << "later values are not loaded";
  EXPECT_FALSE(ValueExists(kSettingsKey, "Version")) << "the version check is skipped";
  EXPECT_FALSE(::IsWindowVisible(Settings()));
}

TEST_F(Watcher, StoredNumbersOutsideTheirRangesAreClamped) {
  const struct {
    DWORD timeout, interval;
    const char *timeoutText, *intervalText;
  } cases[] = {{20000, 0, "10000", "1"}, {0, 6001, "1", "6000"}, {0xFFFFFFFF, 4000, "1", "4000"}};
  for (const auto& c : cases) {
    SetDword(kSettingsKey, "TimeOut", c.timeout);
    SetDword(kSettingsKey, "Interval", c.interval);
    // "Location" comes when the window holds the values.
    DeleteValue(kSettingsKey, "Location");
    StartKnown();
    ASSERT_TRUE(WaitForTrayStart());
    EXPECT_EQ(c.timeoutText, WindowText(Control(idSpinEdit1))) << c.timeout;
    EXPECT_EQ(c.intervalText, WindowText(Control(idSpinEdit2))) << c.interval;
    watcher.reset();
    tray = std::make_unique<TrayRecorder>();
  }
}

TEST_F(Watcher, MissingHostsFileKeepsTheHostsOptionOff) {
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  const std::string hosts = std::string(system) + "\\drivers\\etc\\hosts";
  const std::string aside = hosts + ".orv-aside";
  ASSERT_TRUE(::MoveFileA(hosts.c_str(), aside.c_str()));
  struct Restore {
    std::string from, to;
    ~Restore() { ::MoveFileA(from.c_str(), to.c_str()); }
  } restore{aside, hosts};

  Start();
  ASSERT_NE(nullptr, WaitForSettingsShown());
  ASSERT_TRUE(WaitForTrayStart());
  for (int id : {idCheckBox1, idLabel8, idEdit6}) EXPECT_FALSE(::IsWindowEnabled(Control(id))) << id;
  // Another option's click runs UpdateControls, which leaves them so.
  Click(Control(idCheckBox2));
  ASSERT_TRUE(PumpUntil([this] { return !IsChecked(Control(idCheckBox2)); }));
  EXPECT_FALSE(::IsWindowEnabled(Control(idEdit5)));
  for (int id : {idCheckBox1, idLabel8, idEdit6}) EXPECT_FALSE(::IsWindowEnabled(Control(id))) << id;
}

TEST_F(Watcher, HideAsksAgainOnAbortWhileUnticked) {
  SetString(kSettingsKey, "Version", "5.0.0.0");
  watcher = std::make_unique<WatcherProcess>(WatcherExe(), "hide");
  HWND question = watcher->WaitFor(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, question);
  ASSERT_TRUE(Answer(question, IDNO));
  ASSERT_TRUE(WaitForTrayStart());
  HWND settings = watcher->Find(kSettingsFormClass);
  ::PostMessageA(settings, 1044, 100, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(PumpUntil([settings] { return ::IsWindowVisible(settings) != FALSE; }));
  Click(::GetDlgItem(settings, idBitBtn2));
  question = watcher->WaitFor(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, question) << "Abort loads again, with the command line";
  ASSERT_TRUE(Answer(question, IDYES));
  ASSERT_TRUE(PumpUntil([settings] { return !::IsWindowVisible(settings); }));
  EXPECT_TRUE(IsChecked(::GetDlgItem(settings, idCheckBox4)));
}
